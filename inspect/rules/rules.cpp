#include "rules/rules.h"

#include <algorithm>

const char* severity_name(Severity severity)
{
    switch (severity) {
    case Severity::error: return "error";
    case Severity::warning: return "warning";
    default: return "info";
    }
}

void add_evidence(Finding& finding, std::size_t line, std::string text)
{
    if (finding.evidence.size() < max_evidence)
        finding.evidence.push_back(Evidence{line, std::move(text)});
}

void close_evidence(Finding& finding, std::size_t total)
{
    if (total <= max_evidence)
        return;
    finding.evidence.resize(max_evidence - 1);
    finding.evidence.push_back(
        Evidence{0, "and " + std::to_string(total - (max_evidence - 1)) + " more"});
}

Finding make_finding(Severity severity, std::string message)
{
    return Finding{"", severity, std::move(message), {}};
}

const std::vector<Rule>& rule_table()
{
    static const std::vector<Rule> rules = {
        {"report-damaged", check_report_damaged},
        {"section-cut-short", check_section_cut_short},
        {"install-path-missing", check_install_path_missing},
        {"install-path-without-backslash", check_install_path_without_backslash},
        {"install-under-program-files", check_install_under_program_files},
        {"server-os", check_server_os},
        {"windows-unnamed", check_windows_unnamed},
        {"simconnect-missing", check_simconnect_missing},
        {"vc-runtime-missing", check_vc_runtime_missing},
        {"dll-xml-missing", check_dll_xml_missing},
        {"dll-xml-malformed", check_dll_xml_malformed},
        {"module-not-registered", check_module_not_registered},
        {"module-disabled", check_module_disabled},
        {"addon-path-missing", check_addon_path_missing},
        {"module-untrusted", check_module_untrusted},
        {"module-not-trusted-yet", check_module_not_trusted_yet},
        {"folder-unlisted", check_folder_unlisted},
        {"file-missing", check_file_missing},
        {"file-modified", check_file_modified},
        {"file-unreadable", check_file_unreadable},
        {"file-extra", check_file_extra},
    };
    return rules;
}

std::vector<Finding> run_rules(const Report& report, const Config& config)
{
    std::vector<Finding> findings;
    for (const Rule& rule : rule_table())
        if (std::optional<Finding> finding = rule.check(report, config)) {
            finding->rule = rule.id;
            findings.push_back(std::move(*finding));
        }
    for (Finding& finding : run_support_rules(report, config))
        findings.push_back(std::move(finding));
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return a.severity < b.severity;
    });
    return findings;
}
