#include "rules/helpers.h"
#include "rules/rules.h"

#include <string>

std::optional<Finding> check_report_damaged(const Report& report, const Config&)
{
    if (report.damage.empty())
        return std::nullopt;
    Finding finding = make_finding(
        Severity::error, "The report is damaged or is no Ravelo report: what follows the damage "
                         "may be missing or misread. Ask the customer to send the file again, "
                         "unchanged.");
    for (const Damage& damage : report.damage)
        add_evidence(finding, damage.line, damage.what);
    close_evidence(finding, report.damage.size() + report.damage_not_listed);
    return finding;
}

std::optional<Finding> check_section_cut_short(const Report& report, const Config&)
{
    if (report.cut_short.empty())
        return std::nullopt;
    Finding finding = make_finding(
        Severity::warning, "Ravelo could not write every section whole (a file it could not "
                           "read to its end, or a section past the size one may hold): what "
                           "those sections do not show may still be on the machine, and no "
                           "finding is drawn from its absence.");
    for (const Damage& cut : report.cut_short)
        add_evidence(finding, cut.line, cut.what);
    close_evidence(finding, report.cut_short.size());
    return finding;
}

std::optional<Finding> check_install_path_missing(const Report& report, const Config&)
{
    // A report cut before its "FSX path:" line, or no report at all, says
    // nothing about the registry.
    const bool empty_path = report.install_path_line && report.install_path.empty();
    if (!report.install_path_failure && !empty_path)
        return std::nullopt;
    Finding finding = make_finding(
        Severity::error,
        "The registry holds no install path for the simulator: it was copied rather than "
        "installed, or its registry data is damaged. The add-on and Modules trees were listed "
        "relative to the folder Ravelo ran from, so they say nothing. Repair the simulator's "
        "installation (or its SetupPath registry value).");
    if (report.install_path_failure)
        add_evidence(finding, 1, "Can't find FSX registry entry.");
    if (report.install_path_line)
        add_evidence(finding, report.install_path_line, "FSX path: " + report.install_path);
    return finding;
}

std::optional<Finding> check_install_path_without_backslash(const Report& report,
                                                            const Config& config)
{
    if (report.install_path_failure || report.install_path.empty() ||
        report.install_path.back() == '\\')
        return std::nullopt;
    const std::string& path = report.install_path;
    Finding finding = make_finding(
        Severity::error,
        "The registry's install path " + path + " lacks its closing backslash, so Ravelo listed " +
            path + config.addon_name + " and " + path +
            "Modules instead of the folders inside it: the add-on and Modules trees say nothing, "
            "and no finding is drawn from them. Installers that append a name to this path go "
            "astray the same way. Add the backslash to the simulator's SetupPath registry value "
            "and reinstall the add-on.");
    add_evidence(finding, report.install_path_line, "FSX path: " + path);
    return finding;
}

std::optional<Finding> check_install_under_program_files(const Report& report, const Config&)
{
    // VirtualStore came with Windows Vista (6.0); XP writes where it is told.
    if (!report.windows.present || report.windows.major < 6 ||
        folded(report.install_path).find("\\program files") == std::string::npos)
        return std::nullopt;
    Finding finding = make_finding(
        Severity::warning,
        "The simulator is installed under Program Files: files that it or an add-on writes "
        "there may be redirected to the user's VirtualStore folder, so edits seem lost or "
        "stale copies are read. Suggest installing outside Program Files, or check "
        "%LOCALAPPDATA%\\VirtualStore.");
    add_evidence(finding, report.install_path_line, "FSX path: " + report.install_path);
    return finding;
}

std::optional<Finding> check_server_os(const Report& report, const Config&)
{
    if (!report.windows.present || report.windows.workstation)
        return std::nullopt;
    Finding finding = make_finding(
        Severity::warning,
        report.windows.major == 0
            ? "Windows did not tell its version, so its edition is unknown."
            : "Windows is a server edition, which the simulator and the add-on are not made for.");
    add_evidence(finding, report.windows.warning_line, "OS is not WORKSTATION type!");
    return finding;
}

std::optional<Finding> check_windows_unnamed(const Report& report, const Config&)
{
    const WindowsVersion& windows = report.windows;
    if (!windows.present || !windows.name.empty())
        return std::nullopt;
    const std::string version = std::to_string(windows.major) + "." +
                                std::to_string(windows.minor) + " build " +
                                std::to_string(windows.build);
    const std::string name = windows_name(windows);
    std::string message;
    if (!name.empty())
        message = "Windows " + version + " is " + name + ".";
    else if (windows.major == 0)
        message = "The report holds no Windows version: the version query failed.";
    else
        message = "Windows " + version + " is a version the report's table does not know.";
    Finding finding = make_finding(Severity::info, message);
    add_evidence(finding, windows.version_line, "OS version: " + version);
    return finding;
}

std::optional<Finding> check_folder_unlisted(const Report& report, const Config& config)
{
    if (!trees_are_meaningful(report))
        return std::nullopt;
    Finding finding = make_finding(
        Severity::warning, "Ravelo could not list some folders (their path is longer than Windows "
                           "allows): their files were not checked, and none of them is taken "
                           "as missing.");
    std::size_t count = 0;
    const std::pair<const Tree*, std::string> trees[] = {
        {&report.vok, config.addon_name + "\\"}, {&report.modules, "Modules\\"}};
    for (const auto& [tree, top] : trees)
        for (const TreeNote& note : tree->notes) {
            ++count;
            add_evidence(finding, note.line, "not listed: " + report.install_path + top + note.folder);
        }
    if (!count)
        return std::nullopt;
    close_evidence(finding, count);
    return finding;
}
