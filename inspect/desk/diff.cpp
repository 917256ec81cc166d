#include "desk/diff.h"

#include "output/display_text.h"
#include "output/outputs.h"
#include "rules/helpers.h"

#include <nlohmann/json.hpp>

#include <map>

namespace {

using std::string;
// Keyed by the folded name, as Windows compares names; the value keeps the
// name as written and what is compared.
using Keyed = std::map<string, std::pair<string, string>>;

void compare_keyed(const char* area, const Keyed& before, const Keyed& after,
                   std::vector<Change>& changes)
{
    for (const auto& [key, old_entry] : before) {
        const auto found = after.find(key);
        if (found == after.end())
            changes.push_back({area, "removed", old_entry.first, old_entry.second, ""});
        else if (found->second.second != old_entry.second)
            changes.push_back({area, "changed", old_entry.first, old_entry.second,
                               found->second.second});
    }
    for (const auto& [key, new_entry] : after)
        if (!before.count(key))
            changes.push_back({area, "added", new_entry.first, "", new_entry.second});
}

Keyed tree_files(const Tree& tree)
{
    Keyed files;
    for (const TreeEntry& entry : tree.entries)
        if (!entry.folder)
            files.emplace(folded(entry.path),
                          std::make_pair(entry.path, entry.digest.value_or("unreadable")));
    return files;
}

Keyed trusted_entries(const FsxCfg& cfg)
{
    Keyed entries;
    for (const IniEntry& entry : cfg.entries)
        if (folded(entry.section) == "trusted")
            entries.emplace(folded(entry.key), std::make_pair(entry.key, entry.value));
    return entries;
}

Keyed assemblies(const SideBySide& listing)
{
    Keyed names;
    for (const AssemblyFolder& folder : listing.folders)
        names.emplace(folded(folder.name), std::make_pair(folder.name, ""));
    return names;
}

Keyed registry_keys(const Report& report)
{
    Keyed keys;
    for (const RegistrySection& section : report.registry)
        for (const RegistryKey& key : section.keys)
            keys.emplace(folded(key.path), std::make_pair(key.path, ""));
    return keys;
}

// Values of the keys both reports hold: a key added or removed is one change.
Keyed registry_values(const Report& report, const Keyed& keys_of_both)
{
    Keyed values;
    for (const RegistrySection& section : report.registry)
        for (const RegistryKey& key : section.keys)
            if (keys_of_both.count(folded(key.path)))
                for (const RegistryValue& value : key.values)
                    values.emplace(folded(key.path) + "\n" + folded(value.name),
                                   std::make_pair(key.path + " -> " + value.name, value.data));
    return values;
}

Keyed common_keys(const Keyed& a, const Keyed& b)
{
    Keyed both;
    for (const auto& entry : a)
        if (b.count(entry.first))
            both.insert(entry);
    return both;
}

string addon_key(const Addon& addon)
{
    return folded(addon.path) + "\n" + folded(addon.name);
}

string addon_subject(const Addon& addon)
{
    return addon.path + " (" + addon.name + ")";
}

void compare_dll_xml(const DllXml& before, const DllXml& after, std::vector<Change>& changes)
{
    std::map<string, const Addon*> old_entries, new_entries;
    for (const Addon& addon : before.addons)
        old_entries.emplace(addon_key(addon), &addon);
    for (const Addon& addon : after.addons)
        new_entries.emplace(addon_key(addon), &addon);
    const auto state = [](const Addon& a) { return a.disabled ? "disabled" : "enabled"; };
    for (const auto& [key, addon] : old_entries) {
        const auto found = new_entries.find(key);
        if (found == new_entries.end())
            changes.push_back({"dll.xml", "removed", addon_subject(*addon), state(*addon), ""});
        else if (found->second->disabled != addon->disabled)
            changes.push_back({"dll.xml", state(*found->second), addon_subject(*addon),
                               state(*addon), state(*found->second)});
    }
    for (const auto& [key, addon] : new_entries)
        if (!old_entries.count(key))
            changes.push_back({"dll.xml", "added", addon_subject(*addon), "", state(*addon)});
}

void compare_text(const char* area, const string& before, const string& after,
                  std::vector<Change>& changes)
{
    if (before != after)
        changes.push_back({area, "changed", "", before, after});
}

bool has_rule(const std::vector<Finding>& findings, const string& rule)
{
    for (const Finding& finding : findings)
        if (finding.rule == rule)
            return true;
    return false;
}

string or_none(const std::optional<string>& text)
{
    return text ? printable(*text) : "(none)";
}

void write_change_text(const Change& change, std::ostream& out)
{
    out << "  " << change.area << ' ' << change.change;
    if (!change.subject.empty())
        out << ": " << printable(change.subject);
    if (!change.before.empty() && !change.after.empty())
        out << "\n      " << printable(change.before) << " -> " << printable(change.after);
    else if (!change.before.empty() || !change.after.empty())
        out << "  " << printable(change.before + change.after);
    out << '\n';
}

nlohmann::json text_or_null(const std::optional<string>& text)
{
    return text ? nlohmann::json(to_utf8(*text)) : nlohmann::json(nullptr);
}

nlohmann::json findings_json(const std::vector<const Finding*>& findings)
{
    nlohmann::json list = nlohmann::json::array();
    for (const Finding* finding : findings)
        list.push_back({{"rule", finding->rule},
                        {"severity", severity_name(finding->severity)},
                        {"message", to_utf8(finding->message)}});
    return list;
}

} // namespace

ReportDiff diff_reports(const Inspection& old_one, const Inspection& new_one)
{
    ReportDiff diff;
    for (const Finding& finding : old_one.findings)
        (has_rule(new_one.findings, finding.rule) ? diff.still : diff.fixed).push_back(&finding);
    for (const Finding& finding : new_one.findings)
        if (!has_rule(old_one.findings, finding.rule))
            diff.found.push_back(&finding);
    const Report& before = old_one.report;
    const Report& after = new_one.report;
    diff.release_before = before.files.release;
    diff.release_after = after.files.release;
    std::vector<Change>& changes = diff.changes;
    compare_keyed("file", tree_files(before.vok), tree_files(after.vok), changes);
    compare_keyed("module file", tree_files(before.modules), tree_files(after.modules), changes);
    compare_dll_xml(before.dll_xml, after.dll_xml, changes);
    compare_keyed("trusted", trusted_entries(before.fsx_cfg), trusted_entries(after.fsx_cfg),
                  changes);
    compare_keyed("assembly", assemblies(before.side_by_side), assemblies(after.side_by_side),
                  changes);
    compare_text("windows", windows_text(before.windows), windows_text(after.windows), changes);
    compare_text("install path", before.install_path, after.install_path, changes);
    const Keyed old_keys = registry_keys(before), new_keys = registry_keys(after);
    compare_keyed("registry key", old_keys, new_keys, changes);
    const Keyed both = common_keys(old_keys, new_keys);
    compare_keyed("registry value", registry_values(before, both), registry_values(after, both),
                  changes);
    return diff;
}

void write_diff_text(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out)
{
    out << "Old       " << printable(old_one.source) << "\nNew       "
        << printable(new_one.source) << "\nRelease   " << or_none(diff.release_before) << " -> "
        << or_none(diff.release_after) << "\n\nFindings: " << diff.fixed.size() << " fixed, "
        << diff.found.size() << " new, " << diff.still.size() << " still there\n";
    const std::pair<const char*, const std::vector<const Finding*>*> groups[] = {
        {"fixed  ", &diff.fixed}, {"new    ", &diff.found}, {"still  ", &diff.still}};
    for (const auto& [label, findings] : groups)
        for (const Finding* finding : *findings)
            out << "  " << label << finding->rule << ": " << printable(finding->message) << '\n';
    out << '\n' << diff.changes.size() << " change(s) in the installation\n";
    for (const Change& change : diff.changes)
        write_change_text(change, out);
}

void write_diff_json(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out)
{
    nlohmann::json changes = nlohmann::json::array();
    for (const Change& change : diff.changes)
        changes.push_back({{"area", change.area},
                           {"change", change.change},
                           {"subject", to_utf8(change.subject)},
                           {"before", to_utf8(change.before)},
                           {"after", to_utf8(change.after)}});
    const nlohmann::json document = {
        {"old", old_one.source},
        {"new", new_one.source},
        {"release", {{"before", text_or_null(diff.release_before)},
                     {"after", text_or_null(diff.release_after)}}},
        {"findings", {{"fixed", findings_json(diff.fixed)},
                      {"new", findings_json(diff.found)},
                      {"still", findings_json(diff.still)}}},
        {"changes", changes}};
    out << document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}
