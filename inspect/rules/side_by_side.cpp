#include "rules/helpers.h"
#include "rules/rules.h"

namespace {

const std::string simconnect_prefix = "x86_microsoft.flightsimulator.simconnect_";

bool installed(const AssemblyFolder& folder)
{
    return folder.readable && !folder.files.empty();
}

} // namespace

std::string simconnect_version(const AssemblyFolder& folder)
{
    const std::string name = folded(folder.name);
    if (name.compare(0, simconnect_prefix.size(), simconnect_prefix) != 0)
        return "";
    const std::size_t token_end = name.find('_', simconnect_prefix.size());
    if (token_end == std::string::npos)
        return "";
    const std::size_t version_end = name.find('_', token_end + 1);
    return name.substr(token_end + 1, version_end == std::string::npos
                                          ? std::string::npos
                                          : version_end - token_end - 1);
}

namespace {

bool has_runtime(const SideBySide& listing, const std::string& runtime)
{
    const std::string prefix = "x86_microsoft." + folded(runtime) + "_";
    for (const AssemblyFolder& folder : listing.folders)
        if (installed(folder) && folded(folder.name).compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

// Without a listing the report cannot tell what is installed: a warning
// that says so replaces the error.
void note_unlisted_winsxs(Finding& finding, const SideBySide& listing, const std::string& what)
{
    if (listing.winsxs_readable)
        return;
    finding.severity = Severity::warning;
    finding.message = "Windows' side-by-side folder could not be listed, so the report cannot "
                      "tell whether " + what + " is installed.";
    add_evidence(finding, listing.winsxs_line, "Can't open winsxs directory... ");
}

} // namespace

std::optional<Finding> check_simconnect_missing(const Report& report, const Config& config)
{
    const SideBySide& listing = report.side_by_side;
    if (!listing.complete || config.simconnect.empty())
        return std::nullopt;
    std::vector<const AssemblyFolder*> others;
    for (const AssemblyFolder& folder : listing.folders) {
        const std::string version = simconnect_version(folder);
        if (version.empty())
            continue;
        for (const std::string& accepted : config.simconnect)
            if (installed(folder) && version == folded(accepted))
                return std::nullopt;
        others.push_back(&folder);
    }
    std::string accepted;
    for (const std::string& version : config.simconnect)
        accepted += (accepted.empty() ? "" : ", ") + version;
    Finding finding = make_finding(
        Severity::error,
        "None of the SimConnect versions the add-on accepts (" + accepted +
            ") is installed side by side. Have the customer install the SimConnect client of "
            "that version (the simulator's SDK or service pack ships it).");
    note_unlisted_winsxs(finding, listing, "SimConnect " + accepted);
    for (const AssemblyFolder* folder : others)
        add_evidence(finding, folder->line,
                     (installed(*folder) ? "other version: " : "empty or unreadable: ") +
                         folder->name);
    return finding;
}

std::optional<Finding> check_vc_runtime_missing(const Report& report, const Config& config)
{
    const SideBySide& listing = report.side_by_side;
    if (!listing.complete)
        return std::nullopt;
    std::string missing;
    for (const std::string& runtime : config.vc_runtimes)
        if (!has_runtime(listing, runtime))
            missing += (missing.empty() ? "" : ", ") + runtime;
    if (missing.empty())
        return std::nullopt;
    Finding finding = make_finding(
        Severity::error, "The Visual C++ runtime the add-on's module needs is not installed "
                         "side by side: " + missing +
                             ". Have the customer install the matching Visual C++ "
                             "redistributable (x86); the module cannot load without it.");
    note_unlisted_winsxs(finding, listing, "the Visual C++ runtime " + missing);
    for (const std::string& runtime : config.vc_runtimes)
        if (!has_runtime(listing, runtime))
            add_evidence(finding, 0, "no folder x86_microsoft." + runtime + "_*");
    return finding;
}
