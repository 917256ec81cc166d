#pragma once
#include "rules/support_rules.h"

#include <toml++/toml.h>

#include <string>
#include <vector>

// More rules than this in one file are refused: each is checked against
// every report, so the cost of a report grows with their number.
const std::size_t max_support_rules = 1000;

// Reads the [[rule]] tables of a config file (see README, "Teaching the
// inspector a new fault"). False, with "FILE:LINE: rule "ID": why" in
// error, for the first table that is refused: an unknown key, a bad id or
// severity, an id already taken (by a built-in rule or an earlier one), no
// message, an empty [rule.if] or [rule.unless], or a pattern that no item
// of its kind in a report could match.
bool read_support_rules(const toml::table& document, const std::string& path,
                        SupportRules& rules, std::string& error);

// toml++ builds and frees its tables recursively, so a header of a hundred
// thousand dotted keys overflows the stack before any check of ours runs.
// The first line (from 1) holding more than max_toml_nesting dots and
// brackets outside strings and comments, or 0 when there is none: no
// config needs one, and with each line bounded, what toml++ nests is too.
const std::size_t max_toml_nesting = 100;
std::size_t line_nested_too_deep(std::string_view toml);
