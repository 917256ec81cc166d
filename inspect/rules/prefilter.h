#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Many patterns sought in one pass. Each pattern has a piece of plain
// characters that any text it matches must hold (see required_piece); an
// Aho-Corasick automaton finds which pieces a text holds, folded as Windows
// folds names, so only those patterns are then matched in full. A pattern
// without a piece ("*", "???") is always matched.
struct Prefilter {
    std::array<std::uint8_t, 256> class_of{};  // a byte's class; 0: in no piece
    std::size_t classes = 1;
    // Per state, per class: the next state's row (its number times
    // classes), with found_flag set when pieces end there or along its link.
    std::vector<std::uint32_t> next;
    std::vector<std::uint32_t> output;  // per state, where its pieces start in found;
    std::vector<std::uint32_t> found;   // then one past: pattern numbers
    // Per state, the state of its longest proper suffix where a piece ends
    // (whose pieces it holds too), or UINT32_MAX.
    std::vector<std::uint32_t> link;
    // Bit a * 256 + b: some piece starts with the bytes a, b (as folded);
    // at the start state the bytes before such a pair are passed over.
    std::vector<std::uint64_t> starts;
    std::vector<std::uint32_t> always;  // patterns without a piece
    std::size_t patterns = 0;
};

const std::uint32_t found_flag = 0x80000000u;

// The end (at most 16 characters) of the last run of plain characters
// that is about as long as the longest: a path's end tells it from others
// more often than its start. "" when the pattern has no plain character.
std::string required_piece(std::string_view pattern);

// pieces[i] is pattern i's.
Prefilter build_prefilter(const std::vector<std::string>& pieces);

// The patterns whose piece a text held, each once. A text fed in pieces
// keeps its automaton state between them.
struct PrefilterHits {
    std::uint32_t state = 0;  // the automaton's row
    std::vector<std::uint32_t> patterns;
    std::vector<std::uint32_t> seen;  // per pattern, the serial it was last seen in
    std::vector<std::uint32_t> state_seen;  // per state, likewise
    std::uint32_t serial = 0;
};

// Starts a new text: no pattern found yet, the automaton at its start.
void prefilter_restart(const Prefilter& filter, PrefilterHits& hits);

void prefilter_feed(const Prefilter& filter, PrefilterHits& hits, std::string_view text);

// The last text read through prefilter_feed_after: the row after each of
// its bytes, and the first byte at which each of its pieces ended.
struct PrefilterTrail {
    std::string_view text;
    std::vector<std::uint32_t> rows;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> hits;  // byte, pattern
};

// Starts a new text, and reads it from where it parts from the trail's
// (whose text must still be alive); the trail becomes this text's. Texts
// that repeat a long start, such as the registry's key paths, are so read
// in the time of what is new in each.
void prefilter_feed_after(const Prefilter& filter, PrefilterHits& hits, PrefilterTrail& trail,
                          std::string_view text);
