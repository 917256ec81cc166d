#pragma once
#include "audit/config.h"
#include "report/model.h"
#include "rules/finding.h"

#include <optional>
#include <vector>

// Each rule reads the report's model and the maker's config and returns
// what it finds, or nothing; its id is given by the rule table.
std::optional<Finding> check_install_path_missing(const Report&, const Config&);
std::optional<Finding> check_install_path_without_backslash(const Report&, const Config&);
std::optional<Finding> check_folder_unlisted(const Report&, const Config&);
std::optional<Finding> check_install_under_program_files(const Report&, const Config&);
std::optional<Finding> check_server_os(const Report&, const Config&);
std::optional<Finding> check_windows_unnamed(const Report&, const Config&);
std::optional<Finding> check_simconnect_missing(const Report&, const Config&);
std::optional<Finding> check_vc_runtime_missing(const Report&, const Config&);
std::optional<Finding> check_dll_xml_missing(const Report&, const Config&);
std::optional<Finding> check_dll_xml_malformed(const Report&, const Config&);
std::optional<Finding> check_module_not_registered(const Report&, const Config&);
std::optional<Finding> check_module_disabled(const Report&, const Config&);
std::optional<Finding> check_addon_path_missing(const Report&, const Config&);
std::optional<Finding> check_module_untrusted(const Report&, const Config&);
std::optional<Finding> check_module_not_trusted_yet(const Report&, const Config&);
std::optional<Finding> check_file_modified(const Report&, const Config&);
std::optional<Finding> check_file_missing(const Report&, const Config&);
std::optional<Finding> check_file_extra(const Report&, const Config&);
std::optional<Finding> check_file_unreadable(const Report&, const Config&);
std::optional<Finding> check_report_damaged(const Report&, const Config&);
std::optional<Finding> check_section_cut_short(const Report&, const Config&);

struct Rule {
    const char* id;
    std::optional<Finding> (*check)(const Report&, const Config&);
};

// Every rule, in the order their findings are listed.
const std::vector<Rule>& rule_table();

// The findings of the config's support rules, in the order of its file.
std::vector<Finding> run_support_rules(const Report& report, const Config& config);

// Runs every rule, the table's and then the config's; findings sorted by
// severity, in that order within one.
std::vector<Finding> run_rules(const Report& report, const Config& config);

// A finding without its id, which run_rules sets from the table.
Finding make_finding(Severity severity, std::string message);
