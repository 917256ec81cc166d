#pragma once
#include "report/model.h"

#include <set>
#include <string>
#include <vector>

// A part of an area of the diff that a report does not show whole: what it
// lacks there may exist all the same. prefix: the folded start of the keys
// the diff gives that part ("" for the whole area); subject: the folder or
// registry key as written, "" for the whole area.
struct AreaGap {
    std::string prefix, subject, why;
};

// The areas the diff compares, as Change and Gap name them. Registry keys
// and values share one: a value's key is its registry key's, a backslash,
// a line feed and its name.
const std::vector<std::string>& diff_areas();

// Where the report does not show the area whole: a section missing,
// damaged or cut short, a dll.xml not well-formed, a folder not listed,
// a registry key not read; each part once, in report order.
std::vector<AreaGap> area_gaps(const Report& report, const std::string& area);

// The last section has no closing line, so a report cut at a line end
// inside it looks whole. Where that section of report holds in report
// order what the other's begins with (a value's data cut at one of its
// line feeds), and less, the gap this makes of it; none where it is not
// so, or report does not show that section whole anyway.
std::vector<AreaGap> early_end_gaps(const Report& report, const Report& other);

// The gaps' prefixes, sorted, none starting another, for shows.
std::vector<std::string> gap_prefixes(const std::vector<AreaGap>& gaps);

// The report shows key's place whole: no gap's prefix starts it.
bool shows(const std::vector<std::string>& prefixes, const std::string& key);

// The report's lines whose text is not to be trusted: where damage was
// noted, and a last line the report ends inside. The diff passes over what
// stands on them.
std::set<std::size_t> damaged_lines(const Report& report);
