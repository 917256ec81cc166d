#include "config_files.h"

#include <pugixml.hpp>

#include <algorithm>
#include <string>

namespace {

char fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

std::string_view trim(std::string_view text)
{
    const char* blank = " \t\r";
    const std::size_t first = text.find_first_not_of(blank);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blank) - first + 1);
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text.append(line).push_back('\n');
    return text;
}

// The report line of a byte offset into the joined copy.
std::size_t line_of_offset(const std::string& text, std::ptrdiff_t offset, std::size_t first_line)
{
    const std::size_t end = std::min<std::size_t>(offset < 0 ? 0 : offset, text.size());
    return first_line + std::count(text.begin(), text.begin() + end, '\n');
}

std::string child_text(const pugi::xml_node& node, const char* name)
{
    return std::string(trim(node.child(name).text().get()));
}

} // namespace

bool same_text(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

DllXml read_dll_xml(const EchoedFile& file)
{
    DllXml result;
    const std::string text = joined(file.lines);
    pugi::xml_document document;
    // The bytes are the ANSI code page's; taking them as UTF-8 keeps them
    // unchanged in the names and paths read out.
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        result.error = parsed.description();
        result.error_line = line_of_offset(text, parsed.offset, file.first_line);
        return result;
    }
    const pugi::xml_node root = document.document_element();
    if (!same_text(root.name(), "SimBase.Document")) {
        result.error = std::string("the document is a <") + root.name() +
                       ">, not a <SimBase.Document>";
        result.error_line = line_of_offset(text, root.offset_debug(), file.first_line);
        return result;
    }
    result.well_formed = true;
    for (const pugi::xml_node& entry : root.children()) {
        if (!same_text(entry.name(), "Launch.Addon"))
            continue;
        Addon addon;
        addon.name = child_text(entry, "Name");
        addon.path = child_text(entry, "Path");
        addon.disabled = same_text(child_text(entry, "Disabled"), "true");
        addon.line = line_of_offset(text, entry.offset_debug(), file.first_line);
        result.addons.push_back(std::move(addon));
    }
    return result;
}

FsxCfg read_fsx_cfg(const EchoedFile& file)
{
    FsxCfg result;
    std::string section;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string_view line = trim(file.lines[i]);
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
