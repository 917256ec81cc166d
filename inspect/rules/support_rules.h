#pragma once
#include "rules/finding.h"
#include "rules/wildcard.h"

#include <optional>
#include <string>
#include <vector>

// Known faults that support staff write into the config file as [[rule]]
// tables (read by audit/rule_file.h), checked beside the built-in rules.

enum class ConditionKind { file, dll_xml, fsx_cfg, registry, windows, assembly, release };

const ConditionKind condition_kinds[] = {
    ConditionKind::file,    ConditionKind::dll_xml,  ConditionKind::fsx_cfg, ConditionKind::registry,
    ConditionKind::windows, ConditionKind::assembly, ConditionKind::release};

// The condition's key in the rule file, which its evidence is labelled with.
const char* condition_name(ConditionKind kind);

// Holds when some item of the report's part of that kind matches the
// pattern (and, for a file with md5, has that digest).
struct Condition {
    ConditionKind kind;
    Wildcard pattern;
    std::optional<std::string> md5;  // lower-case hex
};

struct SupportRule {
    std::string id;
    Severity severity = Severity::info;
    std::string message;  // in the report's code page, as every text of a finding
    std::vector<Condition> when;    // [rule.if]: all must hold
    std::vector<Condition> unless;  // [rule.unless]: all holding silence the rule
};
