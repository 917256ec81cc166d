#include "report/config_files.h"
#include "report/lines.h"
#include "rules/helpers.h"
#include "rules/rules.h"

namespace {

// "[Trusted]" keys are the module's path, a dot and a hash of the module.
std::vector<const IniEntry*> trust_entries(const Report& report, const Config& config)
{
    std::vector<const IniEntry*> entries;
    for (const IniEntry& entry : report.fsx_cfg.entries) {
        if (!same_text(entry.section, "Trusted"))
            continue;
        const std::size_t dot = entry.key.rfind('.');
        if (dot != std::string::npos && names_module(entry.key.substr(0, dot), report, config))
            entries.push_back(&entry);
    }
    return entries;
}

std::string entry_text(const IniEntry& entry)
{
    return entry.key + (entry.has_value ? "=" + entry.value : "");
}

} // namespace

// The simulator reads fsx.cfg from top to bottom, so the last entry for the
// module is the one it goes by; an earlier one is stale.
std::optional<Finding> check_module_untrusted(const Report& report, const Config& config)
{
    if (config.module.empty() || !report.fsx_cfg_text.found)
        return std::nullopt;
    const std::vector<const IniEntry*> entries = trust_entries(report, config);
    if (entries.empty() || !starts_with(entries.back()->value, "-"))
        return std::nullopt;
    std::string message = "fsx.cfg marks " + config.module +
                          " as not trusted (a negative value under [Trusted]), so the "
                          "simulator never loads it. Remove that line from fsx.cfg while the "
                          "simulator is closed, and answer Yes when it asks again.";
    if (entries.size() > 1)
        message += " fsx.cfg holds " + std::to_string(entries.size()) +
                   " entries for the module; the last one counts: remove them all.";
    Finding finding = make_finding(Severity::error, message);
    add_evidence(finding, entries.back()->line, entry_text(*entries.back()));
    for (std::size_t k = 0; k + 1 < entries.size(); ++k)
        add_evidence(finding, entries[k]->line, "also: " + entry_text(*entries[k]));
    close_evidence(finding, entries.size());
    return finding;
}

std::optional<Finding> check_module_not_trusted_yet(const Report& report, const Config& config)
{
    if (config.module.empty() || !report.fsx_cfg_text.complete)
        return std::nullopt;
    if (report.fsx_cfg_text.found && !trust_entries(report, config).empty())
        return std::nullopt;
    Finding finding = make_finding(
        Severity::info, "fsx.cfg has no [Trusted] entry for " + config.module +
                            ": the simulator has not loaded it yet, and will ask whether to "
                            "trust it. The customer should answer Yes.");
    if (!report.fsx_cfg_text.found)
        add_evidence(finding, report.fsx_cfg_text.first_line, "File not found...");
    return finding;
}
