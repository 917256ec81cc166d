#include "rules/prefilter.h"

#include "report/config_files.h"

#include <algorithm>
#include <deque>

namespace {

const std::uint32_t no_state = UINT32_MAX;
// In a trail, a byte next_start passed: the automaton stood at its start
// before it, but where it would stand after it depends on the byte after.
const std::uint32_t passed_over = UINT32_MAX;
const std::size_t max_piece = 16;

unsigned char folded_byte(char c)
{
    return static_cast<unsigned char>(fold_case(c));
}

// The trie of the pieces: its transitions (no_state where it has none),
// per state the patterns whose piece ends there, and its link.
struct Trie {
    std::vector<std::uint32_t> next;
    std::vector<std::vector<std::uint32_t>> ends;
    std::vector<std::uint32_t> link;
};

std::uint32_t add_state(Trie& trie, std::size_t classes)
{
    trie.next.resize(trie.next.size() + classes, no_state);
    trie.ends.emplace_back();
    trie.link.push_back(no_state);
    return static_cast<std::uint32_t>(trie.ends.size() - 1);
}

// Every missing transition becomes the one its longest proper suffix in
// the trie takes, and each state links to the longest such suffix where a
// piece ends: breadth first, so a suffix is complete before it is used.
// Copying the suffix's pieces into each state instead would have a byte
// that ends a piece shared by every rule list them all, again and again.
void complete_transitions(Trie& trie, std::size_t classes)
{
    std::vector<std::uint32_t> suffix(trie.ends.size(), 0);
    std::deque<std::uint32_t> queue;
    for (std::size_t c = 0; c < classes; ++c) {
        std::uint32_t& target = trie.next[c];
        if (target == no_state)
            target = 0;
        else
            queue.push_back(target);
    }
    while (!queue.empty()) {
        const std::uint32_t state = queue.front();
        queue.pop_front();
        for (std::size_t c = 0; c < classes; ++c) {
            std::uint32_t& target = trie.next[state * classes + c];
            const std::uint32_t fallback = trie.next[suffix[state] * classes + c];
            if (target == no_state) {
                target = fallback;
                continue;
            }
            suffix[target] = fallback;
            trie.link[target] = trie.ends[fallback].empty() ? trie.link[fallback] : fallback;
            queue.push_back(target);
        }
    }
}

bool has_pair(const std::vector<std::uint64_t>& pairs, unsigned char a, unsigned char b)
{
    const std::size_t bit = a << 8 | b;
    return pairs[bit / 64] >> (bit % 64) & 1;
}

// A piece of one character starts with that character and any other.
std::vector<std::uint64_t> pairs_starting(const std::vector<std::string>& pieces)
{
    std::vector<std::uint64_t> folded(65536 / 64, 0), raw(65536 / 64, 0);
    for (const std::string& piece : pieces)
        for (int second = 0; !piece.empty() && second < 256; ++second) {
            const unsigned char b = piece.size() > 1 ? folded_byte(piece[1]) : second;
            const std::size_t bit = folded_byte(piece[0]) << 8 | b;
            folded[bit / 64] |= std::uint64_t(1) << (bit % 64);
        }
    for (std::size_t bit = 0; bit < 65536; ++bit)
        if (has_pair(folded, folded_byte(static_cast<char>(bit >> 8)),
                     folded_byte(static_cast<char>(bit & 255))))
            raw[bit / 64] |= std::uint64_t(1) << (bit % 64);
    return raw;
}

// From the start state, where no piece has begun: the first byte from at
// on that, with the byte after it, may begin one. The last byte is never
// passed, since the text's next piece may go on from it.
std::size_t next_start(const Prefilter& filter, std::string_view text, std::size_t at)
{
    while (at + 1 < text.size() &&
           !has_pair(filter.starts, static_cast<unsigned char>(text[at]),
                     static_cast<unsigned char>(text[at + 1])))
        ++at;
    return at;
}

} // namespace

std::string required_piece(std::string_view pattern)
{
    std::vector<std::string_view> runs;
    std::size_t longest = 0;
    for (std::size_t start = 0, end; start < pattern.size(); start = end + 1) {
        end = std::min(pattern.find_first_of("*?", start), pattern.size());
        runs.push_back(pattern.substr(start, end - start));
        longest = std::max(longest, end - start);
    }
    const std::size_t enough = std::min<std::size_t>(4, longest);
    for (auto run = runs.rbegin(); enough && run != runs.rend(); ++run)
        if (run->size() >= enough)
            return std::string(run->substr(run->size() - std::min(max_piece, run->size())));
    return "";
}

Prefilter build_prefilter(const std::vector<std::string>& pieces)
{
    Prefilter filter;
    std::array<std::uint8_t, 256> class_of_folded{};
    for (const std::string& piece : pieces)
        for (const char c : piece)
            if (!class_of_folded[folded_byte(c)])
                class_of_folded[folded_byte(c)] = static_cast<std::uint8_t>(filter.classes++);
    for (int byte = 0; byte < 256; ++byte)
        filter.class_of[byte] = class_of_folded[folded_byte(static_cast<char>(byte))];
    Trie trie;
    add_state(trie, filter.classes);
    for (std::uint32_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].empty()) {
            filter.always.push_back(i);
            continue;
        }
        std::uint32_t state = 0;
        for (const char c : pieces[i]) {
            const std::size_t at = state * filter.classes + class_of_folded[folded_byte(c)];
            if (trie.next[at] == no_state) {
                const std::uint32_t added = add_state(trie, filter.classes);
                trie.next[at] = added;
            }
            state = trie.next[at];
        }
        trie.ends[state].push_back(i);
    }
    complete_transitions(trie, filter.classes);
    // Rows rather than state numbers, and a flag for the states that end
    // pieces: a byte costs one load unless a piece ends at it.
    filter.next = std::move(trie.next);
    for (std::uint32_t& target : filter.next)
        target = static_cast<std::uint32_t>(target * filter.classes) |
                 (trie.ends[target].empty() && trie.link[target] == no_state ? 0 : found_flag);
    filter.link = std::move(trie.link);
    for (const std::vector<std::uint32_t>& ends : trie.ends) {
        filter.output.push_back(static_cast<std::uint32_t>(filter.found.size()));
        filter.found.insert(filter.found.end(), ends.begin(), ends.end());
    }
    filter.output.push_back(static_cast<std::uint32_t>(filter.found.size()));
    filter.patterns = pieces.size();
    filter.starts = pairs_starting(pieces);
    return filter;
}

void prefilter_restart(const Prefilter& filter, PrefilterHits& hits)
{
    hits.seen.resize(filter.patterns, 0);
    hits.state_seen.resize(filter.link.size(), 0);
    hits.state = 0;
    hits.patterns.clear();
    ++hits.serial;
}

namespace {

// The pieces ending at a state and along its links into hits, each once;
// into the trail too, with the byte they ended at, when there is one. A
// state already taken in this text had its links taken with it, so each
// state's pieces are read once a text, whatever the bytes that reach it.
void take_found(const Prefilter& filter, std::uint32_t row, PrefilterHits& hits,
                PrefilterTrail* trail, std::size_t at)
{
    for (std::uint32_t state = static_cast<std::uint32_t>(row / filter.classes);
         state != no_state && hits.state_seen[state] != hits.serial; state = filter.link[state]) {
        hits.state_seen[state] = hits.serial;
        for (std::uint32_t k = filter.output[state]; k < filter.output[state + 1]; ++k) {
            const std::uint32_t pattern = filter.found[k];
            if (hits.seen[pattern] == hits.serial)
                continue;
            hits.seen[pattern] = hits.serial;
            hits.patterns.push_back(pattern);
            if (trail)
                trail->hits.emplace_back(static_cast<std::uint32_t>(at), pattern);
        }
    }
}

void feed_from(const Prefilter& filter, PrefilterHits& hits, std::string_view text,
               std::size_t from, PrefilterTrail* trail)
{
    std::uint32_t row = hits.state;
    for (std::size_t at = from; at < text.size(); ++at) {
        if (row == 0) {
            at = next_start(filter, text, at);
            if (trail)
                trail->rows.resize(at, passed_over);
        }
        const std::uint32_t target =
            filter.next[row + filter.class_of[static_cast<unsigned char>(text[at])]];
        row = target & ~found_flag;
        if (trail)
            trail->rows.push_back(row);
        if (target & found_flag)
            take_found(filter, row, hits, trail, at);
    }
    hits.state = row;
}

} // namespace

void prefilter_feed(const Prefilter& filter, PrefilterHits& hits, std::string_view text)
{
    feed_from(filter, hits, text, 0, nullptr);
}

void prefilter_feed_after(const Prefilter& filter, PrefilterHits& hits, PrefilterTrail& trail,
                          std::string_view text)
{
    prefilter_restart(filter, hits);
    const std::size_t common =
        std::mismatch(text.begin(), text.begin() + std::min(text.size(), trail.text.size()),
                      trail.text.begin())
            .first -
        text.begin();
    const bool passed = common && trail.rows[common - 1] == passed_over;
    const std::size_t from = passed ? common - 1 : common;
    trail.text = text;
    trail.rows.resize(from);
    trail.hits.erase(std::remove_if(trail.hits.begin(), trail.hits.end(),
                                    [&](const auto& hit) { return hit.first >= from; }),
                     trail.hits.end());
    for (const auto& [at, pattern] : trail.hits) {
        hits.seen[pattern] = hits.serial;
        hits.patterns.push_back(pattern);
    }
    hits.state = from && !passed ? trail.rows[from - 1] : 0;
    feed_from(filter, hits, text, from, &trail);
}
