#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A pattern of a support rule: '*' any run of characters, '?' any one,
// every other byte itself, letters folded as Windows folds them (see
// fold_case). It is matched as an automaton whose states are the pattern's
// characters, one bit each, so a text costs one pass of a few word
// operations per byte, whatever the stars: nothing is ever tried twice.
struct Wildcard {
    static const std::size_t max_length = 1000;  // characters other than '*'
    static const std::size_t max_words = (max_length + 1 + 63) / 64;

    std::string text;   // as written, in the report's code page
    std::size_t words = 1;
    std::size_t final_bit = 0;  // set once the whole pattern has been matched
    bool ends_with_star = false;
    // Bytes that no character of the pattern names share class 0.
    std::array<std::uint8_t, 256> class_of{};
    std::vector<std::uint64_t> masks;  // per class, words each
    std::array<std::uint64_t, max_words> stars{};  // points where a '*' stands
};

// Where matching stands: bit j is set while the pattern's first j
// characters (stars aside) can have been matched by the text fed so far.
struct WildcardState {
    std::array<std::uint64_t, Wildcard::max_words> bits{};
};

// The pattern must hold at most max_length characters besides '*'.
Wildcard compile_wildcard(std::string_view ansi);

WildcardState wildcard_start(const Wildcard& pattern);

// Reads more of the text. Texts made of several pieces (a registry key,
// then one of its values) are fed piece by piece, so a common first piece
// is read once and its state copied.
void wildcard_feed(const Wildcard& pattern, WildcardState& state, std::string_view text);

bool wildcard_accepts(const Wildcard& pattern, const WildcardState& state);

// No text fed from here on can make it match.
bool wildcard_dead(const Wildcard& pattern, const WildcardState& state);

bool wildcard_matches(const Wildcard& pattern, std::string_view text);

// The characters besides '*' a pattern holds.
std::size_t wildcard_length(std::string_view pattern);
