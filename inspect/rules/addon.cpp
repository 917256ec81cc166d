#include "report/config_files.h"
#include "report/lines.h"
#include "rules/helpers.h"
#include "rules/rules.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::vector<const Addon*> module_entries(const Report& report, const Config& config)
{
    std::vector<const Addon*> entries;
    for (const Addon& addon : report.dll_xml.addons)
        if (names_module(addon.path, report, config))
            entries.push_back(&addon);
    return entries;
}

bool module_checkable(const Report& report, const Config& config)
{
    return !config.module.empty() && report.dll_xml.well_formed;
}

std::string entry_text(const Addon& addon)
{
    return "Launch.Addon \"" + addon.name + "\": Path " + addon.path +
           (addon.disabled ? ", Disabled True" : "");
}

// The files of both trees by their folded path relative to the install path.
std::unordered_set<std::string> listed_files(const Report& report, const Config& config)
{
    std::unordered_set<std::string> files;
    for (const TreeEntry& entry : report.modules.entries)
        files.insert(folded("Modules\\" + entry.path));
    for (const TreeEntry& entry : report.vok.entries)
        files.insert(folded(config.addon_name + "\\" + entry.path));
    return files;
}

// The entry's path relative to the install path, or "" when the report
// cannot tell whether it exists.
std::string checkable_path(const std::string& path, const Report& report, const Config& config)
{
    const std::string relative = normalised_path(path, report);
    if (is_absolute(relative) || under_unlisted_folder(relative, report, config))
        return "";
    const std::string top = folded(relative.substr(0, relative.find('\\') + 1));
    return top == "modules\\" || top == folded(config.addon_name + "\\") ? relative : "";
}

} // namespace

std::optional<Finding> check_dll_xml_missing(const Report& report, const Config&)
{
    if (!report.dll_xml_text.present || report.dll_xml_text.found)
        return std::nullopt;
    Finding finding = make_finding(
        Severity::error, "dll.xml was not found in the user's simulator settings folder, so the "
                         "simulator loads no module add-on. Reinstall the add-on, or restore "
                         "dll.xml.");
    add_evidence(finding, report.dll_xml_text.first_line, "File not found...");
    return finding;
}

std::optional<Finding> check_dll_xml_malformed(const Report& report, const Config&)
{
    if (!report.dll_xml_text.found || !report.dll_xml_text.complete ||
        report.dll_xml.well_formed)
        return std::nullopt;
    Finding finding = make_finding(
        Severity::error, "dll.xml is not a well-formed document: one broken entry, written by "
                         "any installer, stops every module add-on from loading. Fix or remove "
                         "the entry at the line shown.");
    add_evidence(finding, report.dll_xml.error_line, report.dll_xml.error);
    return finding;
}

std::optional<Finding> check_module_not_registered(const Report& report, const Config& config)
{
    if (!module_checkable(report, config) || !module_entries(report, config).empty())
        return std::nullopt;
    Finding finding = make_finding(
        Severity::error, "dll.xml has no entry that loads " + config.module +
                             ", so the simulator never loads the add-on's module. Reinstall "
                             "the add-on, or add its Launch.Addon entry to dll.xml.");
    for (const Addon& addon : report.dll_xml.addons)
        add_evidence(finding, addon.line, entry_text(addon));
    close_evidence(finding, report.dll_xml.addons.size());
    return finding;
}

std::optional<Finding> check_module_disabled(const Report& report, const Config& config)
{
    if (!module_checkable(report, config))
        return std::nullopt;
    const std::vector<const Addon*> entries = module_entries(report, config);
    for (const Addon* entry : entries)
        if (!entry->disabled)
            return std::nullopt;
    if (entries.empty())
        return std::nullopt;
    Finding finding = make_finding(
        Severity::error, "The entry of " + config.module +
                             " in dll.xml is disabled (<Disabled>True</Disabled>), so the "
                             "simulator skips it. Set it to False.");
    for (const Addon* entry : entries)
        add_evidence(finding, entry->line, entry_text(*entry));
    return finding;
}

std::optional<Finding> check_addon_path_missing(const Report& report, const Config& config)
{
    if (!report.dll_xml.well_formed || !trees_are_meaningful(report) ||
        !report.vok.complete || !report.modules.complete)
        return std::nullopt;
    const std::unordered_set<std::string> files = listed_files(report, config);
    Finding finding = make_finding(Severity::warning, "");
    std::size_t missing = 0, unchecked = 0;
    for (const Addon& addon : report.dll_xml.addons) {
        // The simulator does not look for a disabled entry's module.
        if (addon.disabled)
            continue;
        const std::string path = checkable_path(addon.path, report, config);
        if (path.empty()) {
            ++unchecked;
            add_evidence(finding, addon.line, "not checked (outside the listed folders): " +
                                                  addon.path);
        } else if (!files.count(folded(path))) {
            ++missing;
            add_evidence(finding, addon.line, "missing: " + addon.path);
        }
    }
    if (missing + unchecked == 0)
        return std::nullopt;
    close_evidence(finding, missing + unchecked);
    if (missing) {
        finding.message = std::to_string(missing) +
                          " dll.xml entry(ies) name a module that is not in the install "
                          "folder; the simulator reports an error for each at start-up. "
                          "Remove the entry or reinstall its add-on.";
    } else {
        finding.severity = Severity::info;
        finding.message = std::to_string(unchecked) +
                          " dll.xml entry(ies) name a module outside the folders the report "
                          "lists; whether they exist cannot be checked.";
    }
    return finding;
}
