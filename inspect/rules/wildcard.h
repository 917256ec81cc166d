#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A pattern of a support rule: '*' any run of characters, '?' any one,
// every other byte itself, letters folded as Windows folds them (see
// fold_case). Its stars cut it into segments; each is sought in turn, the
// first that ends soonest taken (a segment has one length, so that one
// leaves the most text for the rest), the first pinned to the start and
// the last to the end unless a star stands there. A segment is sought by
// shifting bits, one per character of it, a word of them at a time, so a
// text costs one pass whatever the stars: nothing is ever read twice.
struct WildcardSegment {
    std::size_t length;  // characters
    std::size_t masks;   // where its masks start in Wildcard::masks
};

struct Wildcard {
    static const std::size_t max_length = 1000;  // characters other than '*'
    static const std::size_t max_words = (max_length + 63) / 64;

    std::string text;  // as written, in the report's code page
    std::size_t length = 0;  // characters besides '*': the fewest a match holds
    std::vector<WildcardSegment> segments;
    bool pinned_start = true, pinned_end = true;
    // Bytes that no character of the pattern names share class 0.
    std::array<std::uint8_t, 256> class_of{};
    std::size_t classes = 1;
    // Per segment, per class, the words of bits of its characters that
    // admit a byte of that class.
    std::vector<std::uint64_t> masks;
};

// Where matching stands: the segment sought, and which of its prefixes end
// at the last byte fed (bit j: its first j + 1 characters).
struct WildcardState {
    std::size_t segment = 0;
    bool fed = false, dead = false;
    std::array<std::uint64_t, Wildcard::max_words> bits{};
};

// The pattern must hold at most max_length characters besides '*'.
Wildcard compile_wildcard(std::string_view ansi);

// Reads more of the text, and returns how many bytes it read before the
// answer was settled. A text made of pieces (a registry key, then one of its
// values) is fed piece by piece, so that a first piece common to many is
// read once and its state copied.
std::size_t wildcard_feed(const Wildcard& pattern, WildcardState& state, std::string_view text);

bool wildcard_accepts(const Wildcard& pattern, const WildcardState& state);

// No text fed from here on can make it match.
bool wildcard_dead(const WildcardState& state);

bool wildcard_matches(const Wildcard& pattern, std::string_view text);

// A text of this many bytes could match, as far as its length tells: a
// pattern without a star fits one length only. Far cheaper than reading it.
bool wildcard_fits_length(const Wildcard& pattern, std::size_t bytes);

// The characters besides '*' a pattern holds.
std::size_t wildcard_length(std::string_view pattern);
