#include "desk/redaction_parts.h"

namespace {

// Longer than any entity or character reference.
const std::size_t longest_reference = 40;

bool at(std::string_view line, std::size_t i, std::string_view text)
{
    return line.compare(i, text.size(), text) == 0;
}

// "&amp;" or "&#x41;" from i on, whose name is no one's.
std::size_t reference_end(std::string_view line, std::size_t i)
{
    const std::size_t end = line.find(';', i);
    return end != std::string_view::npos && end - i <= longest_reference ? end + 1 : i + 1;
}

struct Scan {
    std::string_view line;
    XmlPlace& place;
    std::vector<Span> markup;
    std::size_t begin = 0;  // of the markup the scan is in
};

// A '<' in text: a tag, or the opening of a comment, CDATA or declaration.
std::size_t open_markup(Scan& scan, std::size_t i)
{
    scan.begin = i;
    for (const auto& [opening, place] : {std::pair{std::string_view("<!--"), XmlPlace::comment},
                                         std::pair{std::string_view("<![CDATA["), XmlPlace::cdata}})
        if (at(scan.line, i, opening)) {
            scan.markup.push_back({i, i + opening.size()});
            scan.place = place;
            return i + opening.size();
        }
    scan.place = at(scan.line, i, "<?") || at(scan.line, i, "<!") ? XmlPlace::declaration
                                                                  : XmlPlace::tag;
    return i + 1;
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

std::size_t in_tag(Scan& scan, std::size_t i)
{
    const char c = scan.line[i];
    if (c == '"' || c == '\'' || c == '>') {
        scan.markup.push_back({scan.begin, i + 1});
        scan.place = c == '>' ? XmlPlace::text : c == '"' ? XmlPlace::quoted_double
                                                          : XmlPlace::quoted_single;
    }
    return i + 1;
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
        scan.begin = i;
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
    case XmlPlace::tag: return in_tag(scan, i);
    default:
        if (scan.line[i] == '>') {
            scan.markup.push_back({scan.begin, i + 1});
            scan.place = XmlPlace::text;
        }
        return i + 1;
    }
}

} // namespace

std::vector<Span> markup_of(std::string_view line, XmlPlace& place)
{
    Scan scan{line, place, {}, 0};
    for (std::size_t i = 0; i < line.size();)
        i = scan_from(scan, i);
    // A tag or declaration that goes on past the line.
    if (place == XmlPlace::tag || place == XmlPlace::declaration)
        scan.markup.push_back({scan.begin, line.size()});
    return scan.markup;
}
