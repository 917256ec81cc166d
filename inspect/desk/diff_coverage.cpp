#include "desk/diff_coverage.h"

#include "rules/helpers.h"

#include <algorithm>

namespace {

using std::string;
using Gaps = std::vector<AreaGap>;

void add_section_gap(bool present, bool complete, bool damaged, const string& prefix,
                     const string& subject, Gaps& gaps)
{
    if (!present)
        gaps.push_back({prefix, subject, "the section is missing"});
    else if (damaged)
        gaps.push_back({prefix, subject, "the section is damaged"});
    else if (!complete)
        gaps.push_back({prefix, subject, "the section is cut short"});
}

// Without the install path's closing backslash the reporter lists a
// sibling folder (C:\FSXVok), without the path none: either listing says
// nothing of the add-on's files.
const char* unmeant_listing(const Report& report)
{
    if (trees_are_meaningful(report))
        return nullptr;
    if (report.install_path_failure || report.install_path.empty())
        return "the install path could not be read, so no add-on folder was listed";
    return "the install path lacks its closing backslash, so another folder was listed";
}

// "Path too long..." stands for the whole listing of its folder.
Gaps tree_gaps(const Tree& tree, const Report& report)
{
    Gaps gaps;
    add_section_gap(tree.present, tree.complete, tree.damaged, "", "", gaps);
    if (!gaps.empty())
        return gaps;
    if (const char* why = unmeant_listing(report))
        return {{"", "", why}};
    for (const TreeNote& note : tree.notes) {
        const string prefix = folded(note.folder);
        string subject = note.folder;
        if (!subject.empty() && subject.back() == '\\')
            subject.pop_back();
        gaps.push_back({prefix, subject, "the folder could not be listed (path too long)"});
    }
    return gaps;
}

Gaps dll_xml_gaps(const Report& report)
{
    const EchoedFile& file = report.dll_xml_text;
    Gaps gaps;
    add_section_gap(file.present, file.complete, file.damaged, "", "", gaps);
    if (gaps.empty() && file.found && !report.dll_xml.well_formed)
        gaps.push_back({"", "", "dll.xml is not well-formed: its entries cannot be read"});
    return gaps;
}

Gaps fsx_cfg_gaps(const Report& report)
{
    const EchoedFile& file = report.fsx_cfg_text;
    Gaps gaps;
    add_section_gap(file.present, file.complete, file.damaged, "", "", gaps);
    return gaps;
}

Gaps assembly_gaps(const Report& report)
{
    const SideBySide& listing = report.side_by_side;
    Gaps gaps;
    add_section_gap(listing.present, listing.complete, listing.damaged, "", "", gaps);
    if (gaps.empty() && !listing.winsxs_readable)
        gaps.push_back({"", "", "the winsxs folder could not be opened"});
    return gaps;
}

// A section the report lacks was never parsed, so its root is not set.
const char* const registry_roots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"};

// A key the reporter could not open or enumerate hides its subkeys and
// values; whether it could is compared as the key's own state.
Gaps registry_gaps(const Report& report)
{
    Gaps gaps;
    for (std::size_t i = 0; i < 3; ++i) {
        const RegistrySection& section = report.registry[i];
        const string root = registry_roots[i];
        add_section_gap(section.present, section.complete, section.damaged,
                        folded(root + "\\"), root, gaps);
        for (const RegistryKey& key : section.keys)
            if (!key.failure.empty())
                gaps.push_back({folded(key.path + "\\"), key.path, "the key could not be read"});
    }
    return gaps;
}

// A key line (with the failure that may follow it) or a value line.
struct ListedLine {
    std::size_t line;
    const RegistryKey* key;
    const RegistryValue* value;
};

std::vector<ListedLine> in_report_order(const RegistrySection& section)
{
    std::vector<ListedLine> listed;
    for (const RegistryKey& key : section.keys) {
        listed.push_back({key.line, &key, nullptr});
        for (const RegistryValue& value : key.values)
            listed.push_back({value.line, nullptr, &value});
    }
    std::sort(listed.begin(), listed.end(),
              [](const ListedLine& a, const ListedLine& b) { return a.line < b.line; });
    return listed;
}

// part is whole cut at a line end: a key before its failure line, a value
// inside its data.
bool begins(const ListedLine& whole, const ListedLine& part, bool cut)
{
    if (part.key && whole.key)
        return part.key->path == whole.key->path &&
               (part.key->failure == whole.key->failure || (cut && part.key->failure.empty()));
    if (!part.value || !whole.value || part.value->name != whole.value->name)
        return false;
    const std::string& data = whole.value->data;
    const std::string& kept = part.value->data;
    return kept == data || (cut && kept.size() < data.size() &&
                            data.compare(0, kept.size(), kept) == 0 && data[kept.size()] == '\n');
}

bool same_line(const ListedLine& a, const ListedLine& b)
{
    return begins(a, b, false);
}

bool ends_early(const RegistrySection& section, const RegistrySection& other)
{
    const std::vector<ListedLine> part = in_report_order(section);
    const std::vector<ListedLine> whole = in_report_order(other);
    if (part.size() > whole.size())
        return false;
    for (std::size_t i = 0; i + 1 < part.size(); ++i)
        if (!same_line(whole[i], part[i]))
            return false;
    if (part.empty())
        return !whole.empty();
    const ListedLine& last = part.back();
    const ListedLine& there = whole[part.size() - 1];
    return begins(there, last, true) && (part.size() < whole.size() || !same_line(there, last));
}

} // namespace

std::vector<AreaGap> early_end_gaps(const Report& report, const Report& other)
{
    const RegistrySection& last = report.registry[2];
    const std::string root = registry_roots[2];
    if (!last.present || !last.complete || last.damaged || !other.registry[2].present ||
        !ends_early(last, other.registry[2]))
        return {};
    return {{folded(root + "\\"), root,
             "the report may end early: its last section stops where the other's goes on"}};
}

const std::vector<std::string>& diff_areas()
{
    static const std::vector<std::string> areas = {
        "file", "module file", "dll.xml", "trusted", "assembly", "windows", "install path",
        "registry"};
    return areas;
}

// A part named twice (a folder listed twice, a key printed twice) once.
Gaps each_once(Gaps gaps)
{
    std::set<string> seen;
    Gaps once;
    for (AreaGap& gap : gaps)
        if (seen.insert(gap.prefix).second)
            once.push_back(std::move(gap));
    return once;
}

Gaps gaps_of(const Report& report, const std::string& area)
{
    if (area == "file")
        return tree_gaps(report.vok, report);
    if (area == "module file")
        return tree_gaps(report.modules, report);
    if (area == "dll.xml")
        return dll_xml_gaps(report);
    if (area == "trusted")
        return fsx_cfg_gaps(report);
    if (area == "assembly")
        return assembly_gaps(report);
    const std::set<std::size_t> damaged = damaged_lines(report);
    // A server's warning line would follow the service pack's.
    const WindowsVersion& windows = report.windows;
    if (area == "windows" && (!windows.present || !windows.service_pack_line ||
                              damaged.count(windows.version_line) ||
                              damaged.count(windows.service_pack_line) ||
                              damaged.count(windows.service_pack_line + 1)))
        return {{"", "", "the Windows version could not be read"}};
    if (area == "install path" && !report.install_path_failure &&
        (!report.install_path_line || damaged.count(report.install_path_line)))
        return {{"", "", "the install path could not be read"}};
    if (area == "registry")
        return registry_gaps(report);
    return {};
}

std::vector<AreaGap> area_gaps(const Report& report, const std::string& area)
{
    return each_once(gaps_of(report, area));
}

std::vector<std::string> gap_prefixes(const std::vector<AreaGap>& gaps)
{
    std::vector<std::string> sorted;
    for (const AreaGap& gap : gaps)
        sorted.push_back(gap.prefix);
    std::sort(sorted.begin(), sorted.end());
    // Sorted, a prefix comes before every text it starts: keep none that
    // one kept already starts.
    std::vector<std::string> prefixes;
    for (std::string& prefix : sorted)
        if (prefixes.empty() || prefix.compare(0, prefixes.back().size(), prefixes.back()) != 0)
            prefixes.push_back(std::move(prefix));
    return prefixes;
}

// Of prefixes none starts another, so only the last one not after key can
// start it.
bool shows(const std::vector<std::string>& prefixes, const std::string& key)
{
    const auto after = std::upper_bound(prefixes.begin(), prefixes.end(), key);
    if (after == prefixes.begin())
        return true;
    const std::string& prefix = *std::prev(after);
    return key.compare(0, prefix.size(), prefix) != 0;
}

std::set<std::size_t> damaged_lines(const Report& report)
{
    // A report cut at the end of a line notes what it lacks at its last
    // line, which is whole.
    std::set<std::size_t> lines;
    for (const std::size_t line : report.damage_lines)
        if (line != report.line_count)
            lines.insert(line);
    if (report.last_line_cut)
        lines.insert(report.line_count);
    return lines;
}
