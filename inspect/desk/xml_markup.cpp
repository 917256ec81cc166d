#include "desk/redaction_parts.h"

namespace {

// Longer than any entity or character reference.
const std::size_t longest_reference = 40;

bool at(std::string_view line, std::size_t i, std::string_view text)
{
    return line.compare(i, text.size(), text) == 0;
}

bool is_name_start(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool is_name_byte(char c)
{
    return is_name_start(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

std::size_t name_end(std::string_view line, std::size_t i)
{
    while (i < line.size() && is_name_byte(line[i]))
        ++i;
    return i;
}

// "&amp;" or "&#x41;" from i on, whose name is no one's. The ';' is looked
// for no further than a reference reaches: a line of '&' alone stays linear.
std::size_t reference_end(std::string_view line, std::size_t i)
{
    const std::size_t end = line.substr(i, longest_reference + 1).find(';');
    return end != std::string_view::npos ? i + end + 1 : i + 1;
}

struct Scan {
    std::string_view line;
    XmlPlace& place;
    std::vector<Span> markup;
};

// A '<' in text: a tag, or the opening of a comment, CDATA, a declaration
// or a processing instruction, with the name that follows it.
std::size_t open_markup(Scan& scan, std::size_t i)
{
    for (const auto& [opening, place] :
         {std::pair{std::string_view("<!--"), XmlPlace::comment},
          std::pair{std::string_view("<![CDATA["), XmlPlace::cdata}})
        if (at(scan.line, i, opening)) {
            scan.markup.push_back({i, i + opening.size()});
            scan.place = place;
            return i + opening.size();
        }
    // The XML declaration names the encoding the copy is read in: it stays.
    const std::string_view line = scan.line;
    if (at(line, i, "<?xml") && (i + 5 == line.size() || !is_name_byte(line[i + 5]))) {
        scan.markup.push_back({i, i + 5});
        scan.place = XmlPlace::declaration;
        return i + 5;
    }
    std::size_t end = i + 1;
    if (end < line.size() && (line[end] == '/' || line[end] == '?' || line[end] == '!'))
        ++end;
    scan.markup.push_back({i, end});
    scan.place = XmlPlace::tag_name;
    return end;
}

// The closing of a comment or CDATA section at i, which is markup.
std::size_t close_section(Scan& scan, std::size_t i, std::string_view closing)
{
    if (!at(scan.line, i, closing))
        return i + 1;
    scan.markup.push_back({i, i + closing.size()});
    scan.place = XmlPlace::text;
    return i + closing.size();
}

// Inside a tag (a declaration or a processing instruction too): its name,
// the names of its attributes (after a space, before an '=' or the line's
// end, where the '=' may follow on the next), the quotes and the closing. A
// stray word (in a tag that lost its '>', an unquoted value) is none of
// these: XML stops reading there, on that line, and so it still does.
std::size_t in_tag(Scan& scan, std::size_t i)
{
    const std::string_view line = scan.line;
    const char c = line[i];
    // The element's name follows its '<' at once.
    if (scan.place == XmlPlace::tag_name && !is_name_start(c))
        scan.place = XmlPlace::tag;
    if (c == '"' || c == '\'' || c == '>' || c == '=' || c == '/' || c == '?') {
        scan.markup.push_back({i, i + 1});
        if (c == '>')
            scan.place = XmlPlace::text;
        else if (c == '"' || c == '\'')
            scan.place = c == '"' ? XmlPlace::quoted_double : XmlPlace::quoted_single;
        return i + 1;
    }
    if (!is_name_start(c) || (i > 0 && is_name_byte(line[i - 1])))
        return i + 1;
    const std::size_t end = name_end(line, i);
    const std::size_t next = line.find_first_not_of(" \t\r", end);
    const bool after_space = i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t';
    if (scan.place == XmlPlace::tag_name ||
        (after_space && (next == std::string_view::npos || line[next] == '=')))
        scan.markup.push_back({i, end});
    scan.place = XmlPlace::tag;
    return end;
}

// Text and attribute values: their references are markup.
std::size_t in_value(Scan& scan, std::size_t i, char closing_quote)
{
    const char c = scan.line[i];
    if (c == '&') {
        const std::size_t end = reference_end(scan.line, i);
        scan.markup.push_back({i, end});
        return end;
    }
    if (closing_quote && c == closing_quote) {
        scan.markup.push_back({i, i + 1});
        scan.place = XmlPlace::tag;
    } else if (!closing_quote && c == '<') {
        return open_markup(scan, i);
    }
    return i + 1;
}

std::size_t scan_from(Scan& scan, std::size_t i)
{
    switch (scan.place) {
    case XmlPlace::text: return in_value(scan, i, 0);
    case XmlPlace::quoted_double: return in_value(scan, i, '"');
    case XmlPlace::quoted_single: return in_value(scan, i, '\'');
    case XmlPlace::comment: return close_section(scan, i, "-->");
    case XmlPlace::cdata: return close_section(scan, i, "]]>");
    case XmlPlace::tag:
    case XmlPlace::tag_name: return in_tag(scan, i);
    default: {
        const std::size_t close = scan.line.find('>', i);
        const std::size_t end = close == std::string_view::npos ? scan.line.size() : close + 1;
        scan.markup.push_back({i, end});
        if (close != std::string_view::npos)
            scan.place = XmlPlace::text;
        return end;
    }
    }
}

} // namespace

std::vector<Span> markup_of(std::string_view line, XmlPlace& place)
{
    Scan scan{line, place, {}};
    for (std::size_t i = 0; i < line.size();)
        i = scan_from(scan, i);
    return scan.markup;
}

namespace {

// The code point of "&#252;" or "&#xFC;" at i, and where the reference ends;
// end stays i where none stands there.
char32_t character_reference(std::string_view text, std::size_t i, std::size_t& end)
{
    end = i;
    const bool hex = at(text, i, "&#x") || at(text, i, "&#X");
    if (!hex && !at(text, i, "&#"))
        return 0;
    char32_t code = 0;
    std::size_t k = i + (hex ? 3 : 2), digits = 0;
    for (; k < text.size() && digits < 8; ++k, ++digits) {
        const char c = text[k];
        const int digit = c >= '0' && c <= '9'                ? c - '0'
                          : hex && c >= 'a' && c <= 'f'       ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F'       ? c - 'A' + 10
                                                              : -1;
        if (digit < 0)
            break;
        code = code * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (digits == 0 || k >= text.size() || text[k] != ';')
        return 0;
    end = k + 1;
    return code;
}

} // namespace

std::string decoded_references(std::string_view text, std::vector<std::size_t>& at)
{
    std::string decoded;
    at.clear();
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        const char32_t code = text[i] == '&' ? character_reference(text, i, end) : 0;
        at.push_back(i);
        if (end == i) {
            decoded += text[i++];
            continue;
        }
        const char byte = code < 0x20 ? '\x7F' : windows_1252_byte(code);
        decoded += std::string_view("<>&\"'").find(byte) == std::string_view::npos ? byte : '\x7F';
        i = end;
    }
    at.push_back(text.size());
    return decoded;
}
