#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A word is a run of letters, digits, underscores and bytes past ASCII (the
// code page's letters, but for quotes, dashes, the no-break space and other
// marks that are letters in no code page): HKEY_CURRENT_USER and SimConnect
// are one word each. Every other byte separates words.
bool is_word_byte(unsigned char c);

// Finds many texts at once, each only as whole words and without regard to
// case (fold_case), in time linear in the text searched: an Aho-Corasick
// automaton whose letters are a text's words and the runs of separators
// between them. A text is trimmed of separators at both ends.
class WordMatcher {
public:
    struct Match {
        std::size_t begin, end, tag;
    };

    void add(std::string_view text, std::size_t tag);
    // Once, after the last add and before the first find.
    void build();

    // The stretches of text that texts cover, in order; texts that overlap
    // or hold one another make one stretch, with the tag of the one that
    // starts first (the longest of those).
    std::vector<Match> find(std::string_view text) const;

private:
    struct Node {
        std::uint32_t fail = 0, depth = 0;
        std::uint32_t output = 0;  // the longest text ending here, 0: none
        std::size_t tag = 0;
        bool ends_text = false;
    };
    std::uint32_t token_id(const std::string& folded_token) const;
    std::uint32_t child(std::uint32_t node, std::uint32_t token) const;
    std::uint32_t step(std::uint32_t node, std::uint32_t token) const;

    std::unordered_map<std::string, std::uint32_t> tokens_;
    std::unordered_map<std::uint64_t, std::uint32_t> edges_;
    std::vector<std::vector<std::uint32_t>> children_;
    std::vector<Node> nodes_{Node{}};
    std::size_t longest_token_ = 0, deepest_ = 0;
    // Which lengths (up to 63, 63 for longer) the tokens starting with each
    // folded byte have: most of a report's words are passed over by it.
    std::uint64_t lengths_by_first_byte_[256] = {};
};
