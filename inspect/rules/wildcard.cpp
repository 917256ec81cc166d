#include "rules/wildcard.h"

#include "report/config_files.h"

#include <cassert>

namespace {

std::size_t words_of(const WildcardSegment& segment)
{
    return (segment.length + 63) / 64;
}

bool has_bit(const std::uint64_t* words, std::size_t bit)
{
    return words[bit / 64] >> (bit % 64) & 1;
}

void set_bit(std::uint64_t* words, std::size_t bit)
{
    words[bit / 64] |= std::uint64_t(1) << (bit % 64);
}

// Dead, or past every segment with a star behind the last: either way
// no more text changes the answer.
bool settled(const Wildcard& pattern, const WildcardState& state)
{
    return state.dead || (!pattern.pinned_end && state.segment == pattern.segments.size());
}

unsigned char byte_class(const Wildcard& pattern, char c)
{
    return pattern.class_of[static_cast<unsigned char>(c)];
}

// One byte into the segment sought: every prefix of it that ended at the
// byte before grows by one where the segment admits this byte, and a new
// one starts here unless the segment is pinned to the start.
void feed_byte(const Wildcard& pattern, WildcardState& state, char c)
{
    const WildcardSegment& segment = pattern.segments[state.segment];
    const std::size_t words = words_of(segment);
    const std::uint64_t* mask = &pattern.masks[segment.masks + byte_class(pattern, c) * words];
    const bool pinned = state.segment == 0 && pattern.pinned_start;
    std::uint64_t carry = pinned && state.fed ? 0 : 1, any = 0;
    for (std::size_t w = 0; w < words; ++w) {
        const std::uint64_t bits = state.bits[w];
        state.bits[w] = ((bits << 1) | carry) & mask[w];
        carry = bits >> 63;
        any |= state.bits[w];
    }
    state.fed = true;
    const bool last = state.segment + 1 == pattern.segments.size();
    if (has_bit(state.bits.data(), segment.length - 1) && !(last && pattern.pinned_end)) {
        ++state.segment;
        state.bits.fill(0);
    } else if (pinned && !any) {
        state.dead = true;
    }
}

// The same for a segment of at most 64 characters, byte after byte until
// it is found (and the next one sought), the state dies or the text ends;
// returns where it stopped.
std::size_t feed_one_word(const Wildcard& pattern, WildcardState& state, std::string_view text,
                          std::size_t at)
{
    const WildcardSegment& segment = pattern.segments[state.segment];
    const std::uint64_t* masks = &pattern.masks[segment.masks];
    const std::uint64_t found = std::uint64_t(1) << (segment.length - 1);
    const bool pinned = state.segment == 0 && pattern.pinned_start;
    const bool kept = state.segment + 1 == pattern.segments.size() && pattern.pinned_end;
    std::uint64_t bits = state.bits[0];
    std::uint64_t start = pinned && state.fed ? 0 : 1;
    state.fed = true;
    while (at < text.size()) {
        bits = ((bits << 1) | start) & masks[byte_class(pattern, text[at++])];
        if (pinned)
            start = 0;
        if ((bits & found) && !kept) {
            ++state.segment;
            state.bits[0] = 0;
            return at;
        }
        if (pinned && !bits) {
            state.dead = true;
            break;
        }
    }
    state.bits[0] = bits;
    return at;
}

void add_segment(Wildcard& pattern, std::string_view characters,
                 const std::array<std::uint8_t, 256>& class_of_folded)
{
    const WildcardSegment segment{characters.size(), pattern.masks.size()};
    const std::size_t words = words_of(segment);
    pattern.masks.resize(pattern.masks.size() + pattern.classes * words);
    std::uint64_t* masks = &pattern.masks[segment.masks];
    for (std::size_t j = 0; j < characters.size(); ++j) {
        if (characters[j] != '?') {
            set_bit(masks + class_of_folded[static_cast<unsigned char>(fold_case(characters[j]))] * words, j);
            continue;
        }
        for (std::size_t k = 0; k < pattern.classes; ++k)
            set_bit(masks + k * words, j);
    }
    pattern.segments.push_back(segment);
}

} // namespace

std::size_t wildcard_length(std::string_view pattern)
{
    std::size_t length = 0;
    for (const char c : pattern)
        length += c != '*';
    return length;
}

Wildcard compile_wildcard(std::string_view ansi)
{
    Wildcard pattern;
    pattern.text = std::string(ansi);
    pattern.length = wildcard_length(ansi);
    assert(pattern.length <= Wildcard::max_length);
    pattern.pinned_start = ansi.empty() || ansi.front() != '*';
    pattern.pinned_end = ansi.empty() || ansi.back() != '*';
    std::array<std::uint8_t, 256> class_of_folded{};
    for (const char c : ansi) {
        std::uint8_t& known = class_of_folded[static_cast<unsigned char>(fold_case(c))];
        if (c != '*' && c != '?' && !known)
            known = static_cast<std::uint8_t>(pattern.classes++);
    }
    for (int byte = 0; byte < 256; ++byte)
        pattern.class_of[byte] =
            class_of_folded[static_cast<unsigned char>(fold_case(static_cast<char>(byte)))];
    std::size_t start = 0;
    for (std::size_t star; start <= ansi.size(); start = star + 1) {
        star = std::min(ansi.find('*', start), ansi.size());
        if (star > start)
            add_segment(pattern, ansi.substr(start, star - start), class_of_folded);
    }
    return pattern;
}

std::size_t wildcard_feed(const Wildcard& pattern, WildcardState& state, std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && !settled(pattern, state)) {
        if (pattern.segments.empty()) {
            state.dead = true;  // the empty pattern, and a byte came
            return at + 1;
        }
        if (pattern.segments[state.segment].length <= 64) {
            at = feed_one_word(pattern, state, text, at);
        } else {
            feed_byte(pattern, state, text[at]);
            ++at;
        }
    }
    return at;
}

bool wildcard_accepts(const Wildcard& pattern, const WildcardState& state)
{
    if (state.dead)
        return false;
    if (!pattern.pinned_end)
        return state.segment == pattern.segments.size();
    if (pattern.segments.empty())
        return !state.fed;
    const WildcardSegment& last = pattern.segments.back();
    return state.segment + 1 == pattern.segments.size() &&
           has_bit(state.bits.data(), last.length - 1);
}

bool wildcard_dead(const WildcardState& state)
{
    return state.dead;
}

bool wildcard_matches(const Wildcard& pattern, std::string_view text)
{
    WildcardState state;
    wildcard_feed(pattern, state, text);
    return wildcard_accepts(pattern, state);
}

bool wildcard_fits_length(const Wildcard& pattern, std::size_t bytes)
{
    const bool has_star = pattern.text.find('*') != std::string::npos;
    return has_star ? bytes >= pattern.length : bytes == pattern.length;
}
