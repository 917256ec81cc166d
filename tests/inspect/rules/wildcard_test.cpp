#include "rules/prefilter.h"
#include "rules/wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Case {
    const char* name;
    std::string pattern, text;
    bool matches;
};

const std::string megabyte(1 << 20, 'a');

std::string stars_between(const std::string& piece, int count)
{
    std::string pattern;
    for (int i = 0; i < count; ++i)
        pattern += "*" + piece;
    return pattern;
}

const Case cases[] = {
    {"letters of another case", "Modules\\VOKPANEL.dll", "modules\\VokPanel.DLL", true},
    {"Windows-1252 letters of another case", "\xC9T\xC9 \x8A\x9F", "\xE9t\xE9 \x9A\xFF", true},
    {"signs that are no letters", "\xD7", "\xF7", false},
    {"? is one character", "Vok?.dll", "Vok1.dll", true},
    {"? is never none", "Vok?.dll", "Vok.dll", false},
    {"* may be none", "Vok*.dll", "Vok.dll", true},
    {"the empty pattern", "", "", true},
    {"the empty pattern and a text", "", "a", false},
    {"a star alone", "*", "anything at all", true},
    {"the start is pinned", "ab", "xab", false},
    {"the end is pinned", "ab", "abx", false},
    {"the start is pinned when its first letter comes twice", "ab", "aab", false},
    {"a long pinned start when its first letter comes twice", std::string(70, 'a') + "b*",
     std::string(71, 'a') + "b", false},
    {"segments in order", "a*b*c", "abbc", true},
    {"segments out of order", "a*b*c", "acb", false},
    {"a piece that starts again inside itself", "*aab", "aaab", true},
    {"segments never overlap", "ab*ab", "ab", false},
    {"segments side by side", "ab*ab", "abab", true},
    {"the last segment at the very end", "*ab*ab", "abxab", true},
    {"a segment across a word of bits", "*" + std::string(64, 'a') + "b", std::string(70, 'a') + "b", true},
    {"one short of a long segment", "*" + std::string(64, 'a') + "b", std::string(63, 'a') + "b", false},
    {"1000 ? and as many characters", std::string(1000, '?'), std::string(1000, 'x'), true},
    {"1000 ? and one fewer", std::string(1000, '?'), std::string(999, 'x'), false},
    // Hostile: the classic match tries each of them at every place of the line.
    {"many stars against a megabyte line", stars_between("a", 499) + "*b", megabyte, false},
    {"many stars, the line ending as they ask", stars_between("a", 499) + "*b", megabyte + "b", true},
    {"many stars of a long piece", stars_between(std::string(60, 'a') + "?", 16) + "*b", megabyte, false},
    {"a long piece before the end", "*" + std::string(900, 'a') + "b", megabyte, false},
    {"a long piece at the end", "*" + std::string(900, 'a') + "b", megabyte + "b", true},
};

// Its first and last pieces of text, so that a split text is one text.
std::vector<std::string> pieces_of(const std::string& text, std::size_t at)
{
    return {text.substr(0, at), text.substr(at)};
}

TEST(Wildcard, MatchesWhereverTheTextIsSplit)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Wildcard pattern = compile_wildcard(c.pattern);
        EXPECT_EQ(wildcard_matches(pattern, c.text), c.matches);
        const std::size_t step = c.text.size() > 64 ? c.text.size() / 7 : 1;
        for (std::size_t at = 0; at <= c.text.size(); at += step) {
            WildcardState state;
            for (const std::string& piece : pieces_of(c.text, at))
                wildcard_feed(pattern, state, piece);
            ASSERT_EQ(wildcard_accepts(pattern, state), c.matches) << "split at " << at;
        }
        // A matching text always holds the piece the prefilter seeks.
        const Prefilter filter = build_prefilter({required_piece(c.pattern)});
        PrefilterHits hits;
        prefilter_restart(filter, hits);
        prefilter_feed(filter, hits, c.text);
        if (c.matches) {
            EXPECT_EQ(hits.patterns.size() + filter.always.size(), 1u);
        }
    }
}

// Texts read one after another from where each parts from the one before,
// as registry key paths are: the pieces found are those a fresh read finds.
TEST(Prefilter, TrailOfTextsSharingTheirStart)
{
    const std::vector<std::string> pieces = {"xa", "Vok 1", "\\uninstall\\", "q", ""};
    const Prefilter filter = build_prefilter(pieces);
    const std::vector<std::string> texts = {
        "bxxB", "bxxaA", "bx", "HKLM\\Uninstall\\Vok", "HKLM\\Uninstall\\VOK 1.1", "HKLM\\Uninstall\\Vo",
        "HKLM", "", "qxa"};
    const std::vector<std::vector<std::uint32_t>> expected = {{}, {0}, {}, {2}, {2, 1}, {2}, {}, {}, {3, 0}};
    PrefilterTrail trail;
    PrefilterHits hits;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(texts[i]);
        prefilter_feed_after(filter, hits, trail, texts[i]);
        EXPECT_EQ(hits.patterns, expected[i]);
        PrefilterHits fresh;
        prefilter_restart(filter, fresh);
        prefilter_feed(filter, fresh, texts[i]);
        EXPECT_EQ(fresh.patterns, expected[i]);
    }
    EXPECT_EQ(filter.always, std::vector<std::uint32_t>{4});
}

// Pieces that end inside one another: each is found once, however many
// bytes end it, and whether the state where it ends is reached directly,
// along links, or both.
TEST(Prefilter, PiecesEndingInsideOneAnother)
{
    const std::vector<std::string> pieces = {"aaaa", "aa", "baa", "xbaab", "a", "aa"};
    struct Case {
        const char* text;
        std::vector<std::uint32_t> expected;  // sorted
    };
    const Case cases[] = {
        {"a", {4}},        {"AA", {1, 4, 5}},      {"baa", {1, 2, 4, 5}}, {"aaaaaaaa", {0, 1, 4, 5}},
        {"xbaab", {1, 2, 3, 4, 5}}, {"aaaabaa", {0, 1, 2, 4, 5}}, {"bxbab", {4}}, {"xxx", {}},
    };
    const Prefilter filter = build_prefilter(pieces);
    for (const Case& c : cases) {
        const std::string text = c.text;
        for (std::size_t split = 0; split <= text.size(); ++split) {
            SCOPED_TRACE(text + " split at " + std::to_string(split));
            PrefilterHits hits;
            prefilter_restart(filter, hits);
            prefilter_feed(filter, hits, text.substr(0, split));
            prefilter_feed(filter, hits, text.substr(split));
            std::vector<std::uint32_t> found = hits.patterns;
            std::sort(found.begin(), found.end());
            EXPECT_EQ(found, c.expected);
        }
    }
}

} // namespace
