#include "report/config_files.h"

#include "report/text_encoding.h"

#include <pugixml.hpp>

#include <algorithm>
#include <string>

namespace {

std::string_view trim(std::string_view text, const char* blank = " \t\r")
{
    const std::size_t first = text.find_first_not_of(blank);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blank) - first + 1);
}

std::string_view xml_trim(std::string_view text)
{
    return trim(text, " \t\r\n");
}

enum class XmlEncoding { ansi, utf8, utf16le, utf16be };

bool begins(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// By its byte order mark, else by the shape of "<?" in UTF-16, else by the
// declaration's encoding; without one, the ANSI code page it was saved in.
XmlEncoding xml_encoding(std::string_view bytes, std::size_t& bom)
{
    bom = 0;
    if (begins(bytes, "\xEF\xBB\xBF")) {
        bom = 3;
        return XmlEncoding::utf8;
    }
    if (begins(bytes, "\xFF\xFE") || begins(bytes, "\xFE\xFF")) {
        bom = 2;
        return bytes[0] == '\xFF' ? XmlEncoding::utf16le : XmlEncoding::utf16be;
    }
    if (begins(bytes, std::string_view("<\0?\0", 4)))
        return XmlEncoding::utf16le;
    if (begins(bytes, std::string_view("\0<\0?", 4)))
        return XmlEncoding::utf16be;
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    if (!begins(xml_trim(declaration), "<?xml"))
        return XmlEncoding::ansi;
    const std::string lowered = folded_text(declaration);
    for (const char* name : {"\"utf-8\"", "'utf-8'", "\"utf8\"", "'utf8'"})
        if (lowered.find(name) != std::string::npos)
            return XmlEncoding::utf8;
    return XmlEncoding::ansi;
}

// The document as UTF-8 for the parser, or as its ANSI bytes, which the
// parser keeps unchanged when told they are UTF-8; only UTF-16 is copied,
// into converted.
std::string_view parser_text(std::string_view bytes, XmlEncoding encoding, std::size_t bom,
                             std::string& converted)
{
    bytes.remove_prefix(bom);
    if (encoding != XmlEncoding::utf16le && encoding != XmlEncoding::utf16be)
        return bytes;
    // The copy ends with the line feed the reporter writes after the last
    // line, a lone byte after the last UTF-16 unit.
    if (bytes.size() % 2 && bytes.back() == '\n')
        bytes.remove_suffix(1);
    converted = utf8_from_utf16(bytes, encoding == XmlEncoding::utf16be);
    return converted;
}

// Report lines of increasing offsets into the parser's text, counted on
// from the last one asked, so that a document's entries cost one pass.
struct LineCounter {
    std::string_view text;
    std::size_t first_line;
    std::size_t offset = 0, line = 0;

    std::size_t line_of(std::ptrdiff_t at)
    {
        const std::size_t end = std::min<std::size_t>(at < 0 ? 0 : at, text.size());
        if (end < offset)
            offset = line = 0;
        line += std::count(text.begin() + offset, text.begin() + end, '\n');
        offset = end;
        return first_line + line;
    }
};

pugi::xml_node child_named(const pugi::xml_node& node, const char* name)
{
    for (const pugi::xml_node& child : node.children())
        if (child.type() == pugi::node_element && same_text(child.name(), name))
            return child;
    return {};
}

// Texts from a Unicode document are made ANSI, like every other text of
// the report.
std::string child_text(const pugi::xml_node& node, const char* name, XmlEncoding encoding)
{
    const std::string text(xml_trim(child_named(node, name).text().get()));
    std::string ansi;
    if (encoding != XmlEncoding::ansi && ansi_from_utf8(text, ansi))
        return ansi;
    return text;
}

// The simulator takes one root element, no text beside it and the
// declaration only at the start; the parser, in fragment mode, keeps what
// it would otherwise pass over silently.
std::string top_level_fault(const pugi::xml_document& document, pugi::xml_node& at)
{
    std::size_t elements = 0;
    bool first = true;
    for (const pugi::xml_node& node : document.children()) {
        at = node;
        switch (node.type()) {
        case pugi::node_element:
            if (++elements > 1)
                return std::string("a second top-level element <") + node.name() +
                       "> after the root";
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            return "text outside the root element";
        case pugi::node_declaration:
            if (!first)
                return "an XML declaration that is not at the start";
            break;
        default: break;
        }
        first = false;
    }
    return elements ? "" : "no root element";
}

} // namespace

char fold_case(char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return static_cast<char>(byte + 0x20);
    switch (byte) {
    case 0x8A: case 0x8C: case 0x8E: return static_cast<char>(byte + 0x10);
    case 0x9F: return '\xFF';
    default: return c;
    }
}

std::string folded_text(std::string_view text)
{
    std::string copy(text);
    for (char& c : copy)
        c = fold_case(c);
    return copy;
}

bool same_text(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_case(a[i]) != fold_case(b[i]))
            return false;
    return true;
}

DllXml read_dll_xml(const EchoedFile& file)
{
    DllXml result;
    std::size_t bom;
    const XmlEncoding encoding = xml_encoding(file.text, bom);
    std::string converted;
    const std::string_view text = parser_text(file.text, encoding, bom, converted);
    LineCounter lines{text, file.first_line};
    pugi::xml_document document;
    const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                             pugi::parse_pi | pugi::parse_fragment;
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8);
    if (!parsed) {
        result.error = parsed.description();
        result.error_line = lines.line_of(parsed.offset);
        return result;
    }
    pugi::xml_node at;
    const std::string fault = top_level_fault(document, at);
    if (!fault.empty()) {
        result.error = fault;
        result.error_line = at ? lines.line_of(at.offset_debug()) : file.first_line;
        return result;
    }
    const pugi::xml_node root = document.document_element();
    if (!same_text(root.name(), "SimBase.Document")) {
        result.error = std::string("the document is a <") + root.name() +
                       ">, not a <SimBase.Document>";
        result.error_line = lines.line_of(root.offset_debug());
        return result;
    }
    result.well_formed = true;
    for (const pugi::xml_node& entry : root.children()) {
        if (entry.type() != pugi::node_element || !same_text(entry.name(), "Launch.Addon"))
            continue;
        Addon addon;
        addon.name = child_text(entry, "Name", encoding);
        addon.path = child_text(entry, "Path", encoding);
        addon.disabled = same_text(child_text(entry, "Disabled", encoding), "true");
        addon.line = lines.line_of(entry.offset_debug());
        result.addons.push_back(std::move(addon));
    }
    return result;
}

FsxCfg read_fsx_cfg(const EchoedFile& file)
{
    FsxCfg result;
    std::string section;
    const std::string_view text = file.text;
    std::size_t i = 0;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string_view::npos;
         start = end + 1, ++i) {
        const std::string_view line = trim(text.substr(start, end - start));
        if (line.empty() || line[0] == ';' || line.substr(0, 2) == "//")
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = std::string(trim(line.substr(1, line.size() - 2)));
            continue;
        }
        IniEntry entry;
        entry.section = section;
        entry.line = file.first_line + i;
        const std::size_t equals = line.find('=');
        entry.has_value = equals != std::string_view::npos;
        entry.key = std::string(trim(line.substr(0, equals)));
        if (entry.has_value)
            entry.value = std::string(trim(line.substr(equals + 1)));
        result.entries.push_back(std::move(entry));
    }
    return result;
}
