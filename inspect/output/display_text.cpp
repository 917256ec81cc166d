#include "output/display_text.h"

#include "report/text_encoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

char32_t code_point(unsigned char byte)
{
    return windows_1252_code_point(byte);
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

const std::uint64_t every_byte = 0x0101010101010101ull;
const std::uint64_t high_bits = 0x8080808080808080ull;

constexpr bool is_plain_html_byte(unsigned char byte)
{
    return byte >= 0x20 && byte < 0x7F && byte != '&' && byte != '<' && byte != '>' &&
           byte != '"' && byte != '\'';
}

// A table, so that the bytes behind the last whole word cost one load each.
constexpr std::array<bool, 256> plain_html_bytes = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0; byte < 256; ++byte)
        plain[byte] = is_plain_html_byte(static_cast<unsigned char>(byte));
    return plain;
}();

// Plain ASCII without a character that HTML gives a meaning, eight bytes at
// once. A byte below 0x20, or equal to one of the five once a low bit is set
// ('&' folds into '\'' and '<' into '>'), borrows from its high bit when its
// floor is subtracted; a byte whose high bit was set is caught on its own.
bool is_plain_html_word(std::uint64_t x)
{
    const std::uint64_t borrowed = (x - every_byte * 0x20) |
                                   (((x | every_byte) ^ (every_byte * '\'')) - every_byte) |
                                   (((x | every_byte * 2) ^ (every_byte * '>')) - every_byte) |
                                   ((x ^ (every_byte * '"')) - every_byte);
    const std::uint64_t from_tilde_up = ((x + every_byte) | x) & high_bits;
    return !((borrowed & ~x & high_bits) | from_tilde_up);
}

// How many bytes at the start of text a page shows as they are. Every
// byte of a page passes through here.
std::size_t plain_html_length(std::string_view text)
{
    std::size_t i = 0;
    for (std::uint64_t x; i + 8 <= text.size(); i += 8) {
        std::memcpy(&x, text.data() + i, 8);
        if (!is_plain_html_word(x))
            break;
    }
    while (i < text.size() && plain_html_bytes[static_cast<unsigned char>(text[i])])
        ++i;
    return i;
}

// One byte as printable and then markup escaping show it: neither a \xNN
// escape nor the UTF-8 of a character from 0xA0 up holds a byte that HTML
// gives a meaning, so the byte can be escaped on its own.
void append_html_escaped_byte(std::string& out, unsigned char byte)
{
    switch (byte) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    case '\'': out += "&#39;"; return;
    }
    const char32_t c = code_point(byte);
    if (is_control(c))
        append_hex_escape(out, byte);
    else
        append_utf8(out, c);
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

std::string printable_utf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        bool valid;
        const char32_t c = next_code_point(utf8, pos, valid);
        if (!valid || is_control(c))
            for (std::size_t k = start; k < pos; ++k)
                append_hex_escape(out, static_cast<unsigned char>(utf8[k]));
        else
            out.append(utf8.substr(start, pos - start));
    }
    return out;
}

namespace {

std::string markup_escaped(const std::string& printed)
{
    std::string out;
    for (char c : printed) {
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

void append_escaped(std::string& out, std::string_view ansi, bool keep_line_feeds)
{
    for (std::size_t plain; (plain = plain_html_length(ansi)) < ansi.size();
         ansi.remove_prefix(plain + 1)) {
        out.append(ansi.data(), plain);
        const unsigned char byte = static_cast<unsigned char>(ansi[plain]);
        if (byte == '\n' && keep_line_feeds)
            out += '\n';
        else
            append_html_escaped_byte(out, byte);
    }
    out.append(ansi);
}

} // namespace

std::string html_escaped(std::string_view ansi)
{
    std::string out;
    append_html_escaped(out, ansi);
    return out;
}

void append_html_escaped(std::string& out, std::string_view ansi)
{
    append_escaped(out, ansi, false);
}

void append_html_escaped_lines(std::string& out, std::string_view ansi)
{
    append_escaped(out, ansi, true);
}

std::string html_escaped_utf8(std::string_view utf8)
{
    return markup_escaped(printable_utf8(utf8));
}
