#include "display_text.h"

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

// The fast path tests eight bytes at once: every byte, at every place of a
// word and in the tail behind the last whole word, must still be escaped.
TEST(HtmlEscaped, EveryByteAtEveryPlaceIsEscaped)
{
    for (int byte = 0; byte < 256; ++byte)
        for (std::size_t at = 0; at < 19; ++at) {
            std::string text(19, 'a');
            text[at] = static_cast<char>(byte);
            const std::string got = html_escaped(text);
            ASSERT_EQ(got, escaped_by_hand(printable(text))) << "byte " << byte << " at " << at;
            std::string appended = "x";
            append_html_escaped(appended, text);
            ASSERT_EQ(appended, "x" + got);
        }
}

} // namespace
