#include "output/display_text.h"

#include <gtest/gtest.h>

namespace {

std::string escaped_by_hand(const std::string& printed)
{
    std::string out;
    for (char c : printed)
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    return out;
}

// The fast path tests eight bytes at once and resumes after each byte it
// escapes: every byte, at every place of a word and in the tail behind the
// last whole word, alone or beside a second byte of any kind, is escaped.
TEST(HtmlEscaped, EveryByteAtEveryPlaceIsEscaped)
{
    const char seconds[] = {'a', '\0', '\t', '\n', ' ', '"', '&', '\'', '<', '>', '=', '~',
                            '\x7f', '\x80', '\x81', '\x9f', '\xa0', '\xe9', '\xff'};
    for (int byte = 0; byte < 256; ++byte)
        for (char second : seconds)
            for (std::size_t at = 0; at < 19; ++at)
                for (std::size_t next = 0; next < 19; ++next) {
                    if (next == at)
                        continue;
                    std::string text(19, 'a');
                    text[at] = static_cast<char>(byte);
                    text[next] = second;
                    const std::string got = html_escaped(text);
                    ASSERT_EQ(got, escaped_by_hand(printable(text)))
                        << byte << " at " << at << ", " << int(second) << " at " << next;
                    std::string appended = "x";
                    append_html_escaped(appended, text);
                    ASSERT_EQ(appended, "x" + got);
                }
}

// Only the line feed stays as it is; each line is escaped as on its own.
TEST(HtmlEscaped, LinesKeepTheirLineFeedsAndNothingElse)
{
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"line feeds only", "\n\n", "\n\n"},
        {"carriage return escaped", "a\r\nb", "a\\x0d\nb"},
        {"markup on both sides", "<a>\n&'\"", "&lt;a&gt;\n&amp;&#39;&quot;"},
        {"long lines", std::string(20, 'x') + "\n\t" + std::string(9, 'y'),
         std::string(20, 'x') + "\n\\x09" + std::string(9, 'y')},
        {"high bytes", "\xe9\n\x81", "\xc3\xa9\n\\x81"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = "x";
        append_html_escaped_lines(out, c.text);
        EXPECT_EQ(out, "x" + c.expected);
    }
}

} // namespace
