#pragma once
#include "rules/support_rules.h"

#include <toml++/toml.h>

#include <string>
#include <vector>

// More rules than this in one file are refused: each is checked against
// every report, so the cost of a report grows with their number.
const std::size_t max_support_rules = 1000;

// Nor may their patterns take more memory than this to match: a pattern
// keeps a word of bits per segment and per character it names, so one of
// a thousand stars between characters all different takes a megabyte or
// two, and a thousand rules of such patterns would take gigabytes.
const std::size_t max_pattern_bytes = 64 << 20;

// Reads the [[rule]] tables of a config file (see README, "Teaching the
// inspector a new fault"). False, with "FILE:LINE: rule "ID": why" in
// error, for the first table that is refused: an unknown key, a bad id or
// severity, an id already taken (by a built-in rule or an earlier one), no
// message, an empty [rule.if] or [rule.unless], or a pattern that no item
// of its kind in a report could match.
bool read_support_rules(const toml::table& document, const std::string& path,
                        SupportRules& rules, std::string& error);
