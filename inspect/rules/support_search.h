#pragma once
#include "audit/config.h"
#include "report/model.h"

#include <array>
#include <string>
#include <vector>

// The search behind the support rules: each kind's conditions sought
// together through the report's items of that kind.

// The first item of the report a condition matched, as evidence; unsure
// when a file fitted the pattern but its digest could not be read.
struct Match {
    bool found = false;
    bool unsure = false;
    std::size_t line = 0;
    std::string text;
};

// The release the add-on's files match best, once one of them at least
// has the digest it ships: the audit picks one even when none has (an
// empty add-on folder, every file changed), which names no release.
const std::string* matched_release(const Report& report);

using Matches = std::array<std::vector<Match>, condition_kind_count>;

// The first match of every condition of the config's rules, by kind and
// slot. False when the work it would take passes the report's budget (see
// support_search.cpp): the matches are then incomplete and not to be used.
bool search_conditions(const Report& report, const Config& config, Matches& matches);
