#include "rules/support_rules.h"

#include "report/config_files.h"
#include "rules/helpers.h"
#include "rules/rules.h"

namespace {

// The first item of the report a condition matched, as evidence; unsure
// when a file fitted the pattern but its digest could not be read.
struct Match {
    bool found = false;
    bool unsure = false;
    std::size_t line = 0;
    std::string text;
};

Match found_at(std::size_t line, ConditionKind kind, const std::string& item)
{
    return Match{true, false, line, std::string(condition_name(kind)) + ": " + item};
}

WildcardState state_after(const Wildcard& pattern, std::initializer_list<std::string_view> pieces)
{
    WildcardState state = wildcard_start(pattern);
    for (const std::string_view piece : pieces)
        wildcard_feed(pattern, state, piece);
    return state;
}

bool matches(const Wildcard& pattern, std::initializer_list<std::string_view> pieces)
{
    return wildcard_accepts(pattern, state_after(pattern, pieces));
}

// Files of one listed folder, by their path under top.
void match_files(const Condition& condition, const std::string& top,
                 const std::vector<TreeEntry>& files, Match& match)
{
    const WildcardState at_top = state_after(condition.pattern, {top, "\\"});
    if (wildcard_dead(condition.pattern, at_top))
        return;
    for (const TreeEntry& file : files) {
        if (file.folder)
            continue;
        WildcardState state = at_top;
        wildcard_feed(condition.pattern, state, file.path);
        if (!wildcard_accepts(condition.pattern, state))
            continue;
        if (condition.md5 && !file.digest) {
            match.unsure = true;
            continue;
        }
        if (condition.md5 && !same_text(*file.digest, *condition.md5))
            continue;
        match = found_at(file.line, ConditionKind::file,
                         top + "\\" + file.path + (file.digest ? " " + *file.digest : ""));
        return;
    }
}

Match file_match(const Condition& condition, const Report& report, const Config& config)
{
    Match match;
    // Without a whole install path the trees were listed from elsewhere.
    if (trees_are_meaningful(report)) {
        match_files(condition, config.addon_name, report.vok.entries, match);
        if (!match.found)
            match_files(condition, "Modules", report.modules.entries, match);
    }
    for (const AssemblyFolder& folder : report.side_by_side.folders)
        if (!match.found)
            match_files(condition, folder.name, folder.files, match);
    return match;
}

Match dll_xml_match(const Condition& condition, const Report& report)
{
    if (!report.dll_xml.well_formed)
        return {};
    for (const Addon& addon : report.dll_xml.addons) {
        if (addon.disabled)
            continue;
        if (matches(condition.pattern, {normalised_path(addon.path, report)}) ||
            matches(condition.pattern, {addon.path}))
            return found_at(addon.line, ConditionKind::dll_xml, addon.path);
    }
    return {};
}

Match fsx_cfg_match(const Condition& condition, const Report& report)
{
    for (const IniEntry& entry : report.fsx_cfg.entries) {
        const std::string_view value = entry.has_value ? std::string_view(entry.value) : "";
        if (matches(condition.pattern,
                    {entry.section, "/", entry.key, entry.has_value ? "=" : "", value}))
            return found_at(entry.line, ConditionKind::fsx_cfg,
                            entry.section + "/" + entry.key + (entry.has_value ? "=" : "") +
                                entry.value);
    }
    return {};
}

// A key's path is read once for the key and all its values.
Match registry_match(const Condition& condition, const Report& report)
{
    const Wildcard& pattern = condition.pattern;
    for (const RegistrySection& section : report.registry)
        for (const RegistryKey& key : section.keys) {
            WildcardState state = state_after(pattern, {key.path});
            if (wildcard_accepts(pattern, state))
                return found_at(key.line, ConditionKind::registry, key.path);
            wildcard_feed(pattern, state, "\\");
            if (wildcard_dead(pattern, state))
                continue;
            for (const RegistryValue& value : key.values) {
                WildcardState at_value = state;
                for (const std::string_view piece : {std::string_view(value.name),
                                                     std::string_view("="),
                                                     std::string_view(value.data)})
                    wildcard_feed(pattern, at_value, piece);
                if (wildcard_accepts(pattern, at_value))
                    return found_at(value.line, ConditionKind::registry,
                                    key.path + "\\" + value.name + "=" + value.data);
            }
        }
    return {};
}

Match windows_match(const Condition& condition, const Report& report)
{
    const WindowsVersion& windows = report.windows;
    if (!windows.present)
        return {};
    const std::string version = std::to_string(windows.major) + "." + std::to_string(windows.minor);
    if (!matches(condition.pattern, {version}))
        return {};
    return found_at(windows.version_line, ConditionKind::windows, version);
}

Match assembly_match(const Condition& condition, const Report& report)
{
    for (const AssemblyFolder& folder : report.side_by_side.folders)
        if (matches(condition.pattern, {folder.name}))
            return found_at(folder.line, ConditionKind::assembly, folder.name);
    return {};
}

Match release_match(const Condition& condition, const Report& report)
{
    const std::optional<std::string>& release = report.files.release;
    if (!release || !matches(condition.pattern, {*release}))
        return {};
    return found_at(0, ConditionKind::release, *release);
}

Match find_match(const Condition& condition, const Report& report, const Config& config)
{
    switch (condition.kind) {
    case ConditionKind::file: return file_match(condition, report, config);
    case ConditionKind::dll_xml: return dll_xml_match(condition, report);
    case ConditionKind::fsx_cfg: return fsx_cfg_match(condition, report);
    case ConditionKind::registry: return registry_match(condition, report);
    case ConditionKind::windows: return windows_match(condition, report);
    case ConditionKind::assembly: return assembly_match(condition, report);
    default: return release_match(condition, report);
    }
}

bool whole(const Tree& tree)
{
    return tree.present && tree.complete && tree.notes.empty();
}

bool whole(const EchoedFile& file)
{
    return file.present && file.complete;
}

bool whole(const SideBySide& listing)
{
    if (!listing.present || !listing.complete || !listing.winsxs_readable)
        return false;
    for (const AssemblyFolder& folder : listing.folders)
        if (!folder.readable)
            return false;
    return true;
}

// The report shows all of the part a condition of this kind reads, so that
// finding no match there means there is none on the machine.
bool shows_whole_part(ConditionKind kind, const Report& report)
{
    switch (kind) {
    case ConditionKind::file:
        return trees_are_meaningful(report) && whole(report.vok) && whole(report.modules) &&
               whole(report.side_by_side);
    case ConditionKind::dll_xml:
        return whole(report.dll_xml_text) &&
               (!report.dll_xml_text.found || report.dll_xml.well_formed);
    case ConditionKind::fsx_cfg: return whole(report.fsx_cfg_text);
    case ConditionKind::registry:
        for (const RegistrySection& section : report.registry)
            if (!section.present || !section.complete)
                return false;
        return true;
    case ConditionKind::windows: return report.windows.present;
    case ConditionKind::assembly: return whole(report.side_by_side);
    default: return report.files.release.has_value();
    }
}

// Some condition of unless surely fails. One the report cannot settle (its
// part cut short or unreadable) fails no more than one that holds, as a
// built-in rule draws no conclusion from what a report does not show.
bool unless_fails(const SupportRule& rule, const Report& report, const Config& config)
{
    for (const Condition& condition : rule.unless) {
        const Match match = find_match(condition, report, config);
        if (!match.found && !match.unsure && shows_whole_part(condition.kind, report))
            return true;
    }
    return rule.unless.empty();
}

std::optional<Finding> check_support_rule(const SupportRule& rule, const Report& report,
                                          const Config& config)
{
    Finding finding = make_finding(rule.severity, rule.message);
    finding.rule = rule.id;
    for (const Condition& condition : rule.when) {
        const Match match = find_match(condition, report, config);
        if (!match.found)
            return std::nullopt;
        add_evidence(finding, match.line, match.text);
    }
    if (!unless_fails(rule, report, config))
        return std::nullopt;
    return finding;
}

} // namespace

const char* condition_name(ConditionKind kind)
{
    switch (kind) {
    case ConditionKind::file: return "file";
    case ConditionKind::dll_xml: return "dll_xml";
    case ConditionKind::fsx_cfg: return "fsx_cfg";
    case ConditionKind::registry: return "registry";
    case ConditionKind::windows: return "windows";
    case ConditionKind::assembly: return "assembly";
    default: return "release";
    }
}

std::vector<Finding> run_support_rules(const Report& report, const Config& config)
{
    std::vector<Finding> findings;
    for (const SupportRule& rule : config.rules)
        if (std::optional<Finding> finding = check_support_rule(rule, report, config))
            findings.push_back(std::move(*finding));
    return findings;
}
