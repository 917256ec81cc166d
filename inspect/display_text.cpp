#include "display_text.h"

namespace {

// Windows-1252 at 0x80 to 0x9F; the five unassigned bytes keep their C1
// code points, as Windows itself maps them.
const char16_t windows_1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t code_point(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? windows_1252_high[byte - 0x80] : byte;
}

void append_utf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool is_control(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

void append_hex_escape(std::string& out, unsigned char byte)
{
    const char* digits = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// Most report text is plain ASCII, which every form shows as it is.
bool is_plain_ascii(std::string_view text)
{
    for (unsigned char byte : text)
        if (byte < 0x20 || byte >= 0x7F)
            return false;
    return true;
}

// Plain ASCII without a character that HTML gives a meaning: a table, as
// every byte of a page passes through it.
struct PlainHtmlBytes {
    bool plain[256] = {};
    PlainHtmlBytes()
    {
        for (int byte = 0x20; byte < 0x7F; ++byte)
            plain[byte] = true;
        for (unsigned char special : {'&', '<', '>', '"', '\''})
            plain[special] = false;
    }
};
const PlainHtmlBytes plain_html_bytes;

bool is_plain_html(std::string_view text)
{
    for (unsigned char byte : text)
        if (!plain_html_bytes.plain[byte])
            return false;
    return true;
}

} // namespace

std::string to_utf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (unsigned char byte : ansi)
        append_utf8(out, code_point(byte));
    return out;
}

std::string printable(std::string_view ansi)
{
    if (is_plain_ascii(ansi))
        return std::string(ansi);
    std::string out;
    out.reserve(ansi.size());
    for (unsigned char byte : ansi) {
        const char32_t c = code_point(byte);
        if (is_control(c))
            append_hex_escape(out, byte);
        else
            append_utf8(out, c);
    }
    return out;
}

std::string html_escaped(std::string_view ansi)
{
    if (is_plain_html(ansi))
        return std::string(ansi);
    std::string out;
    for (char c : printable(ansi)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

void append_html_escaped(std::string& out, std::string_view ansi)
{
    if (is_plain_html(ansi))
        out.append(ansi);
    else
        out += html_escaped(ansi);
}
