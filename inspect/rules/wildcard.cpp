#include "rules/wildcard.h"

#include "report/config_files.h"

#include <cassert>

namespace {

void set_bit(std::uint64_t* words, std::size_t bit)
{
    words[bit / 64] |= std::uint64_t(1) << (bit % 64);
}

bool has_bit(const std::uint64_t* words, std::size_t bit)
{
    return words[bit / 64] >> (bit % 64) & 1;
}

// A dead state stays dead, and a matched pattern ending in '*' stays
// matched: either way the rest of the text can be skipped.
bool settled(const Wildcard& pattern, const WildcardState& state)
{
    return wildcard_dead(pattern, state) ||
           (pattern.ends_with_star && wildcard_accepts(pattern, state));
}

// Every character moves each set bit one place on where the pattern's next
// character admits it, and keeps it where a '*' stands.
void feed_one_word(const Wildcard& pattern, WildcardState& state, std::string_view text)
{
    std::uint64_t bits = state.bits[0];
    const std::uint64_t stars = pattern.stars[0];
    const std::uint64_t final_bit = std::uint64_t(1) << pattern.final_bit;
    const std::uint64_t* masks = pattern.masks.data();
    for (const char c : text) {
        bits = ((bits << 1) & masks[pattern.class_of[static_cast<unsigned char>(c)]]) |
               (bits & stars);
        if (!bits || (pattern.ends_with_star && (bits & final_bit)))
            break;
    }
    state.bits[0] = bits;
}

void feed_words(const Wildcard& pattern, WildcardState& state, std::string_view text)
{
    const std::size_t words = pattern.words;
    for (const char c : text) {
        const std::uint64_t* mask =
            &pattern.masks[pattern.class_of[static_cast<unsigned char>(c)] * words];
        std::uint64_t carry = 0, any = 0;
        for (std::size_t w = 0; w < words; ++w) {
            const std::uint64_t bits = state.bits[w];
            state.bits[w] = (((bits << 1) | carry) & mask[w]) | (bits & pattern.stars[w]);
            carry = bits >> 63;
            any |= state.bits[w];
        }
        if (!any || (pattern.ends_with_star && wildcard_accepts(pattern, state)))
            break;
    }
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
    const std::size_t length = wildcard_length(ansi);
    assert(length <= Wildcard::max_length);
    Wildcard pattern;
    pattern.text = std::string(ansi);
    pattern.words = length / 64 + 1;
    pattern.final_bit = length;
    pattern.ends_with_star = !ansi.empty() && ansi.back() == '*';
    std::array<std::uint8_t, 256> class_of_folded{};
    std::size_t classes = 1;
    for (const char c : ansi)
        if (c != '*' && c != '?' && !class_of_folded[static_cast<unsigned char>(fold_case(c))])
            class_of_folded[static_cast<unsigned char>(fold_case(c))] =
                static_cast<std::uint8_t>(classes++);
    for (int byte = 0; byte < 256; ++byte)
        pattern.class_of[byte] =
            class_of_folded[static_cast<unsigned char>(fold_case(static_cast<char>(byte)))];
    pattern.masks.assign(classes * pattern.words, 0);
    std::size_t bit = 0;
    for (const char c : ansi) {
        if (c == '*') {
            set_bit(pattern.stars.data(), bit);
            continue;
        }
        ++bit;
        if (c == '?') {
            for (std::size_t k = 0; k < classes; ++k)
                set_bit(&pattern.masks[k * pattern.words], bit);
        } else {
            const std::size_t k = class_of_folded[static_cast<unsigned char>(fold_case(c))];
            set_bit(&pattern.masks[k * pattern.words], bit);
        }
    }
    return pattern;
}

WildcardState wildcard_start(const Wildcard&)
{
    WildcardState state;
    state.bits[0] = 1;
    return state;
}

void wildcard_feed(const Wildcard& pattern, WildcardState& state, std::string_view text)
{
    if (settled(pattern, state))
        return;
    if (pattern.words == 1)
        feed_one_word(pattern, state, text);
    else
        feed_words(pattern, state, text);
}

bool wildcard_accepts(const Wildcard& pattern, const WildcardState& state)
{
    return has_bit(state.bits.data(), pattern.final_bit);
}

bool wildcard_dead(const Wildcard& pattern, const WildcardState& state)
{
    for (std::size_t w = 0; w < pattern.words; ++w)
        if (state.bits[w])
            return false;
    return true;
}

bool wildcard_matches(const Wildcard& pattern, std::string_view text)
{
    WildcardState state = wildcard_start(pattern);
    wildcard_feed(pattern, state, text);
    return wildcard_accepts(pattern, state);
}
