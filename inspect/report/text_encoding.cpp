#include "report/text_encoding.h"

namespace {

const char16_t windows_1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const char32_t replacement = 0xFFFD;

char ansi_byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c < 0x100))
        return static_cast<char>(c);
    for (unsigned k = 0; k < 32; ++k)
        if (windows_1252_high[k] == c)
            return static_cast<char>(0x80 + k);
    return '?';
}

unsigned unit_at(std::string_view bytes, std::size_t at, bool big_endian)
{
    const unsigned char first = bytes[at], second = bytes[at + 1];
    return big_endian ? (first << 8 | second) : (second << 8 | first);
}

} // namespace

char32_t windows_1252_code_point(unsigned char byte)
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
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t next_code_point(std::string_view utf8, std::size_t& pos, bool& valid)
{
    const unsigned char lead = utf8[pos++];
    valid = true;
    if (lead < 0x80)
        return lead;
    const std::size_t extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    char32_t c = lead & (0x3F >> extra);
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (extra == 0 || lead >= 0xF5 || pos + extra > utf8.size()) {
        valid = false;
        return replacement;
    }
    for (std::size_t k = 0; k < extra; ++k) {
        const unsigned char next = utf8[pos + k];
        if ((next & 0xC0) != 0x80) {
            valid = false;
            return replacement;
        }
        c = c << 6 | (next & 0x3F);
    }
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
        valid = false;
        return replacement;
    }
    pos += extra;
    return c;
}

bool ansi_from_utf8(std::string_view utf8, std::string& ansi)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        bool valid;
        const char32_t c = next_code_point(utf8, pos, valid);
        if (!valid)
            return false;
        out += ansi_byte(c);
    }
    ansi = std::move(out);
    return true;
}

std::string utf8_from_utf16(std::string_view bytes, bool big_endian)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        char32_t c = unit_at(bytes, at, big_endian);
        if (c >= 0xD800 && c < 0xDC00 && at + 3 < bytes.size()) {
            const unsigned low = unit_at(bytes, at + 2, big_endian);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        append_utf8(out, c >= 0xD800 && c < 0xE000 ? replacement : c);
    }
    if (at < bytes.size())
        append_utf8(out, replacement);
    return out;
}

std::string ansi_from_maker_text(std::string_view text)
{
    std::string ansi;
    if (!ansi_from_utf8(text, ansi))
        ansi = std::string(text);
    return ansi;
}
