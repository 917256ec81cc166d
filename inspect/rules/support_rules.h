#pragma once
#include "rules/finding.h"
#include "rules/prefilter.h"
#include "rules/wildcard.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// Known faults that support staff write into the config file as [[rule]]
// tables (read by audit/rule_file.h), checked beside the built-in rules.

enum class ConditionKind { file, dll_xml, fsx_cfg, registry, windows, assembly, release };

const std::size_t condition_kind_count = 7;
const ConditionKind condition_kinds[condition_kind_count] = {
    ConditionKind::file,    ConditionKind::dll_xml,  ConditionKind::fsx_cfg, ConditionKind::registry,
    ConditionKind::windows, ConditionKind::assembly, ConditionKind::release};

// The id of the finding given instead of the support rules' when checking
// them against a report would cost too much; no rule may take it.
const char support_rules_unchecked[] = "support-rules-unchecked";

// The condition's key in the rule file, which its evidence is labelled with.
const char* condition_name(ConditionKind kind);

// Holds when some item of the report's part of that kind matches the
// pattern (and, for a file with md5, has that digest).
struct Condition {
    ConditionKind kind;
    Wildcard pattern;
    std::optional<std::string> md5;  // lower-case hex
    std::size_t slot = 0;  // its place among the conditions of its kind
};

struct SupportRule {
    std::string id;
    Severity severity = Severity::info;
    std::string message;  // in the report's code page, as every text of a finding
    std::vector<Condition> when;    // [rule.if]: all must hold
    std::vector<Condition> unless;  // [rule.unless]: all holding silence the rule
};

// Where a condition stands in SupportRules::list.
struct ConditionPlace {
    std::size_t rule;
    bool unless;
    std::size_t position;
};

// The conditions of one kind, in every rule, sought together: a report's
// items of that kind are read once for all of them.
struct ConditionsOfKind {
    std::vector<ConditionPlace> places;  // by slot
    Prefilter prefilter;                 // pattern i: the condition of slot i
};

struct SupportRules {
    std::vector<SupportRule> list;
    // Made by index_support_rules once the list is complete.
    std::array<ConditionsOfKind, condition_kind_count> by_kind;
};

// Gives every condition its slot and builds each kind's prefilter.
void index_support_rules(SupportRules& rules);

const Condition& condition_at(const SupportRules& rules, const ConditionPlace& place);
