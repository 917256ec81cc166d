#include "desk/diff.h"

#include "desk/diff_coverage.h"
#include "report/config_files.h"
#include "output/outputs.h"
#include "rules/helpers.h"

#include <algorithm>
#include <map>

namespace {

using std::string;
using Gaps = std::vector<AreaGap>;
using GapsByArea = std::map<string, Gaps>;

// An entry as written and what is compared of it.
struct Entry {
    string shown, compared;
};

// Keyed by the folded name, as Windows compares names; a key a report
// holds more than once keeps each entry, in report order.
using Keyed = std::map<string, std::vector<Entry>>;

// Each report's gap_prefixes in one area.
struct Coverage {
    std::vector<string> old_side, new_side;
};

string numbered(const string& subject, std::size_t i, std::size_t count)
{
    return count > 1 ? subject + ", entry " + std::to_string(i + 1) : subject;
}

// How many entries of a key are the same at the start of both reports
// and, of the rest, at the end.
std::pair<std::size_t, std::size_t> same_ends(const std::vector<Entry>& before,
                                              const std::vector<Entry>& after)
{
    std::size_t head = 0, tail = 0;
    while (head < before.size() && head < after.size() &&
           before[head].compared == after[head].compared)
        ++head;
    while (head + tail < before.size() && head + tail < after.size() &&
           before[before.size() - 1 - tail].compared == after[after.size() - 1 - tail].compared)
        ++tail;
    return {head, tail};
}

// The entries of a key against the other report's: those the same at
// either end pair off first, so that one removed from among duplicates is
// that one, not each behind it shifted onto the next; the rest pair in
// order. What a report lacks where it does not show the key's place whole
// is not taken as removed or added. With states, an entry's change is
// named by its new state ("enabled", "disabled").
void compare_entries(const char* area, const string& key, const std::vector<Entry>& before,
                     const std::vector<Entry>& after, const Coverage& coverage, bool states,
                     std::vector<Change>& changes)
{
    const std::size_t count = std::max(before.size(), after.size());
    const auto [head, tail] = same_ends(before, after);
    const std::size_t old_end = before.size() - tail, new_end = after.size() - tail;
    for (std::size_t i = head; i < old_end || i < new_end; ++i) {
        if (i < old_end && i < new_end) {
            if (before[i].compared != after[i].compared)
                changes.push_back({area, states ? after[i].compared : "changed",
                                   numbered(before[i].shown, i, count), before[i].compared,
                                   after[i].compared});
        } else if (i < old_end) {
            if (shows(coverage.new_side, key))
                changes.push_back({area, "removed", numbered(before[i].shown, i, count),
                                   before[i].compared, ""});
        } else if (shows(coverage.old_side, key)) {
            changes.push_back({area, "added", numbered(after[i].shown, i, count), "",
                               after[i].compared});
        }
    }
}

void compare_keyed(const char* area, const Keyed& before, const Keyed& after,
                   const Coverage& coverage, std::vector<Change>& changes, bool states = false)
{
    static const std::vector<Entry> none;
    for (const auto& [key, old_entries] : before) {
        const auto found = after.find(key);
        compare_entries(area, key, old_entries, found == after.end() ? none : found->second,
                        coverage, states, changes);
    }
    for (const auto& [key, new_entries] : after)
        if (!before.count(key))
            compare_entries(area, key, none, new_entries, coverage, states, changes);
}

// Lines the diff passes over (damaged_lines).
using LineSet = std::set<std::size_t>;

Keyed tree_files(const Tree& tree, const LineSet& damaged)
{
    Keyed files;
    for (const TreeEntry& entry : tree.entries)
        if (!entry.folder && !damaged.count(entry.line))
            files[folded(entry.path)].push_back({entry.path, entry.digest.value_or("unreadable")});
    return files;
}

Keyed trusted_entries(const FsxCfg& cfg, const LineSet& damaged)
{
    Keyed entries;
    for (const IniEntry& entry : cfg.entries)
        if (same_text(entry.section, "trusted") && !damaged.count(entry.line))
            entries[folded(entry.key)].push_back({entry.key, entry.value});
    return entries;
}

// A dll.xml cut or damaged anywhere is not read at all (diff_coverage).
Keyed dll_xml_entries(const DllXml& dll_xml)
{
    Keyed entries;
    for (const Addon& addon : dll_xml.addons)
        entries[folded(addon.path) + "\n" + folded(addon.name)].push_back(
            {addon.path + " (" + addon.name + ")", addon.disabled ? "disabled" : "enabled"});
    return entries;
}

Keyed assemblies(const SideBySide& listing, const LineSet& damaged)
{
    Keyed names;
    for (const AssemblyFolder& folder : listing.folders)
        if (!damaged.count(folder.line))
            names[folded(folder.name)].push_back({folder.name, ""});
    return names;
}

// A key's state is whether the reporter could read it.
Keyed registry_keys(const Report& report, const LineSet& damaged)
{
    Keyed keys;
    for (const RegistrySection& section : report.registry)
        for (const RegistryKey& key : section.keys)
            if (!damaged.count(key.line))
                keys[folded(key.path)].push_back({key.path, key.failure});
    return keys;
}

// Values of the keys both reports hold: a key added or removed is one
// change. A value's key lies under its registry key's, as diff_areas says.
// A value's data runs over one report line more for each line feed in it.
bool on_damaged_lines(const RegistryValue& value, const LineSet& damaged)
{
    const std::size_t last =
        value.line + std::count(value.data.begin(), value.data.end(), '\n');
    const auto first_damaged = damaged.lower_bound(value.line);
    return first_damaged != damaged.end() && *first_damaged <= last;
}

Keyed registry_values(const Report& report, const Keyed& keys_of_other, const LineSet& damaged)
{
    Keyed values;
    for (const RegistrySection& section : report.registry)
        for (const RegistryKey& key : section.keys)
            if (keys_of_other.count(folded(key.path)))
                for (const RegistryValue& value : key.values)
                    if (!on_damaged_lines(value, damaged))
                        values[folded(key.path) + "\\\n" + folded(value.name)].push_back(
                            {key.path + " -> " + value.name, value.data});
    return values;
}

// Windows compares paths without regard to case, so the install path's
// texts are the same when they differ in case alone.
void compare_text(const char* area, const string& before, const string& after, bool same,
                  const Coverage& coverage, std::vector<Change>& changes)
{
    if (!same && coverage.old_side.empty() && coverage.new_side.empty())
        changes.push_back({area, "changed", "", before, after});
}

std::vector<Change> compare_installations(const Report& before, const Report& after,
                                          const GapsByArea& old_gaps, const GapsByArea& new_gaps)
{
    const auto coverage = [&](const char* area) {
        return Coverage{gap_prefixes(old_gaps.at(area)), gap_prefixes(new_gaps.at(area))};
    };
    const LineSet old_lines = damaged_lines(before), new_lines = damaged_lines(after);
    std::vector<Change> changes;
    compare_keyed("file", tree_files(before.vok, old_lines), tree_files(after.vok, new_lines),
                  coverage("file"), changes);
    compare_keyed("module file", tree_files(before.modules, old_lines),
                  tree_files(after.modules, new_lines), coverage("module file"), changes);
    compare_keyed("dll.xml", dll_xml_entries(before.dll_xml), dll_xml_entries(after.dll_xml),
                  coverage("dll.xml"), changes, true);
    compare_keyed("trusted", trusted_entries(before.fsx_cfg, old_lines),
                  trusted_entries(after.fsx_cfg, new_lines), coverage("trusted"), changes);
    compare_keyed("assembly", assemblies(before.side_by_side, old_lines),
                  assemblies(after.side_by_side, new_lines), coverage("assembly"), changes);
    const string old_windows = windows_text(before.windows);
    const string new_windows = windows_text(after.windows);
    compare_text("windows", old_windows, new_windows, old_windows == new_windows,
                 coverage("windows"), changes);
    compare_text("install path", before.install_path, after.install_path,
                 same_text(before.install_path, after.install_path), coverage("install path"),
                 changes);
    const Keyed old_keys = registry_keys(before, old_lines);
    const Keyed new_keys = registry_keys(after, new_lines);
    compare_keyed("registry key", old_keys, new_keys, coverage("registry"), changes);
    compare_keyed("registry value", registry_values(before, new_keys, old_lines),
                  registry_values(after, old_keys, new_lines), coverage("registry"), changes);
    return changes;
}

GapsByArea gaps_by_area(const Report& report)
{
    GapsByArea gaps;
    for (const string& area : diff_areas())
        gaps[area] = area_gaps(report, area);
    return gaps;
}

// Each part either report does not show whole, once: a part both lack is
// one row with both reasons.
std::vector<Gap> merged_gaps(const GapsByArea& old_gaps, const GapsByArea& new_gaps)
{
    std::vector<Gap> gaps;
    for (const string& area : diff_areas()) {
        std::map<string, std::size_t> row_of;  // by prefix
        for (const AreaGap& gap : old_gaps.at(area)) {
            row_of[gap.prefix] = gaps.size();
            gaps.push_back({area, gap.subject, gap.why, ""});
        }
        for (const AreaGap& gap : new_gaps.at(area)) {
            const auto row = row_of.find(gap.prefix);
            if (row != row_of.end())
                gaps[row->second].new_side = gap.why;
            else
                gaps.push_back({area, gap.subject, "", gap.why});
        }
    }
    return gaps;
}

// The areas each rule reads; keep in step with the rule table. A rule not
// named here is taken to read them all.
const std::map<string, std::vector<const char*>>& rule_areas()
{
    static const std::vector<const char*> files = {"file", "install path"};
    static const std::vector<const char*> modules = {"dll.xml", "install path"};
    static const std::map<string, std::vector<const char*>> areas = {
        {"report-damaged", {}},
        {"section-cut-short", {}},
        {"install-path-missing", {"install path"}},
        {"install-path-without-backslash", {"install path"}},
        {"install-under-program-files", {"install path", "windows"}},
        {"server-os", {"windows"}},
        {"windows-unnamed", {"windows"}},
        {"simconnect-missing", {"assembly"}},
        {"vc-runtime-missing", {"assembly"}},
        {"dll-xml-missing", {"dll.xml"}},
        {"dll-xml-malformed", {"dll.xml"}},
        {"module-not-registered", modules},
        {"module-disabled", modules},
        {"addon-path-missing", {"dll.xml", "install path", "file", "module file"}},
        {"module-untrusted", {"trusted", "install path"}},
        {"module-not-trusted-yet", {"trusted", "install path"}},
        {"folder-unlisted", {"file", "module file"}},
        {"file-missing", files},
        {"file-modified", files},
        {"file-unreadable", files},
        {"file-extra", files},
    };
    return areas;
}

// A finding gone from the new report is fixed, and one only in the new
// report new, only where the other report shows whole what its rule reads:
// a rule draws nothing from a part it lacks.
bool shows_what_rule_reads(const string& rule, const GapsByArea& gaps)
{
    const auto named = rule_areas().find(rule);
    if (named == rule_areas().end()) {
        for (const auto& entry : gaps)
            if (!entry.second.empty())
                return false;
        return true;
    }
    for (const char* area : named->second)
        if (!gaps.at(area).empty())
            return false;
    return true;
}

bool has_rule(const std::vector<Finding>& findings, const string& rule)
{
    for (const Finding& finding : findings)
        if (finding.rule == rule)
            return true;
    return false;
}

} // namespace

ReportDiff diff_reports(const Inspection& old_one, const Inspection& new_one)
{
    GapsByArea old_gaps = gaps_by_area(old_one.report);
    GapsByArea new_gaps = gaps_by_area(new_one.report);
    for (AreaGap& gap : early_end_gaps(old_one.report, new_one.report))
        old_gaps["registry"].push_back(std::move(gap));
    for (AreaGap& gap : early_end_gaps(new_one.report, old_one.report))
        new_gaps["registry"].push_back(std::move(gap));
    ReportDiff diff;
    for (const Finding& finding : old_one.findings)
        if (has_rule(new_one.findings, finding.rule))
            diff.still.push_back(&finding);
        else if (shows_what_rule_reads(finding.rule, new_gaps))
            diff.fixed.push_back(&finding);
        else
            diff.unsure.push_back(&finding);
    for (const Finding& finding : new_one.findings)
        if (!has_rule(old_one.findings, finding.rule))
            (shows_what_rule_reads(finding.rule, old_gaps) ? diff.found : diff.unseen)
                .push_back(&finding);
    diff.release_before = old_one.report.files.release;
    diff.release_after = new_one.report.files.release;
    diff.changes = compare_installations(old_one.report, new_one.report, old_gaps, new_gaps);
    diff.gaps = merged_gaps(old_gaps, new_gaps);
    return diff;
}
