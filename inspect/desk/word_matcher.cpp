#include "desk/word_matcher.h"

#include "report/config_files.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<bool, 256> word_bytes = [] {
    std::array<bool, 256> table{};
    for (unsigned b = 0; b < 256; ++b)
        table[b] = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                   b == '_' || b >= 0x80;
    // Quotes, dashes, the no-break space and the like are no letter in any
    // Windows code page of Europe and the Middle East; every other byte past
    // ASCII is one in some page, and the report does not say which it has.
    for (unsigned char b : std::string_view("\x82\x84\x85\x86\x87\x89\x8B\x91\x92\x93\x94\x95"
                                            "\x96\x97\x99\x9B\xA0\xA4\xA6\xA7\xA9\xAB\xAC\xAD"
                                            "\xAE\xB0\xB1\xB6\xB7\xBB"))
        table[b] = false;
    return table;
}();

struct Token {
    std::size_t begin, end;
    bool word;
};

// The word or run of separators that starts at pos.
Token token_at(std::string_view text, std::size_t pos)
{
    const bool word = word_bytes[static_cast<unsigned char>(text[pos])];
    std::size_t end = pos + 1;
    while (end < text.size() && word_bytes[static_cast<unsigned char>(text[end])] == word)
        ++end;
    return {pos, end, word};
}

std::uint64_t length_bit(std::size_t length)
{
    return std::uint64_t(1) << std::min<std::size_t>(length, 63);
}

std::uint64_t edge_key(std::uint32_t node, std::uint32_t token)
{
    return (std::uint64_t(node) << 32) | token;
}

// Matches that overlap become one stretch, so that no part of either text
// is left.
void add_match(std::vector<WordMatcher::Match>& found, WordMatcher::Match match)
{
    while (!found.empty() && match.begin < found.back().end) {
        if (found.back().begin < match.begin)
            match.tag = found.back().tag;
        match.begin = std::min(match.begin, found.back().begin);
        match.end = std::max(match.end, found.back().end);
        found.pop_back();
    }
    found.push_back(match);
}

} // namespace

bool is_word_byte(unsigned char c)
{
    return word_bytes[c];
}

void WordMatcher::add(std::string_view text, std::size_t tag)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && !is_word_byte(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && !is_word_byte(static_cast<unsigned char>(text[end - 1])))
        --end;
    if (begin == end)
        return;
    text = text.substr(0, end);
    std::uint32_t node = 0;
    for (std::size_t pos = begin; pos < end;) {
        const Token token = token_at(text, pos);
        pos = token.end;
        const std::string key = folded_text(text.substr(token.begin, token.end - token.begin));
        const std::uint32_t id =
            tokens_.emplace(key, static_cast<std::uint32_t>(tokens_.size() + 1)).first->second;
        lengths_by_first_byte_[static_cast<unsigned char>(key[0])] |= length_bit(key.size());
        longest_token_ = std::max(longest_token_, key.size());
        auto next = edges_.find(edge_key(node, id));
        if (next == edges_.end()) {
            const auto created = static_cast<std::uint32_t>(nodes_.size());
            nodes_.push_back(Node{0, nodes_[node].depth + 1, 0, 0, false});
            children_.resize(nodes_.size());
            children_[node].push_back(id);
            next = edges_.emplace(edge_key(node, id), created).first;
        }
        node = next->second;
    }
    if (!nodes_[node].ends_text) {
        nodes_[node].ends_text = true;
        nodes_[node].tag = tag;
    }
    deepest_ = std::max<std::size_t>(deepest_, nodes_[node].depth);
}

std::uint32_t WordMatcher::child(std::uint32_t node, std::uint32_t token) const
{
    const auto found = edges_.find(edge_key(node, token));
    return found == edges_.end() ? 0 : found->second;
}

std::uint32_t WordMatcher::step(std::uint32_t node, std::uint32_t token) const
{
    if (token == 0)
        return 0;
    for (;;) {
        if (const std::uint32_t next = child(node, token))
            return next;
        if (node == 0)
            return 0;
        node = nodes_[node].fail;
    }
}

// Breadth first, so that every node's failure link is set before its
// children's are made from it.
void WordMatcher::build()
{
    children_.resize(nodes_.size());
    std::vector<std::uint32_t> queue{0};
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const std::uint32_t parent = queue[next];
        for (const std::uint32_t token : children_[parent]) {
            const std::uint32_t node = child(parent, token);
            std::uint32_t fail = 0;
            if (parent != 0)
                fail = step(nodes_[parent].fail, token);
            nodes_[node].fail = fail;
            nodes_[node].output = nodes_[node].ends_text ? node : nodes_[fail].output;
            queue.push_back(node);
        }
    }
}

std::uint32_t WordMatcher::token_id(const std::string& folded_token) const
{
    const auto found = tokens_.find(folded_token);
    return found == tokens_.end() ? 0 : found->second;
}

std::vector<WordMatcher::Match> WordMatcher::find(std::string_view text) const
{
    std::vector<Match> found;
    if (deepest_ == 0)
        return found;
    // Where the last deepest_ tokens began: a text found ends at the current
    // token and begins as many tokens back as it has.
    std::vector<std::size_t> starts(deepest_);
    std::size_t count = 0;
    std::uint32_t state = 0;
    std::string key;
    for (std::size_t pos = 0; pos < text.size();) {
        const Token token = token_at(text, pos);
        pos = token.end;
        starts[count++ % deepest_] = token.begin;
        // Texts begin with a word.
        if (!token.word && state == 0)
            continue;
        const std::size_t size = token.end - token.begin;
        std::uint32_t id = 0;
        if (size <= longest_token_ &&
            (lengths_by_first_byte_[static_cast<unsigned char>(fold_case(text[token.begin]))] &
             length_bit(size))) {
            key.assign(text.substr(token.begin, size));
            for (char& c : key)
                c = fold_case(c);
            id = token_id(key);
        }
        state = step(state, id);
        if (const std::uint32_t output = nodes_[state].output)
            add_match(found, {starts[(count - nodes_[output].depth) % deepest_], token.end,
                              nodes_[output].tag});
    }
    return found;
}
