#pragma once
#include "desk/inspection.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// One difference between two reports of one installation. area: "file"
// (the add-on's), "module file" (the Modules folder's), "dll.xml",
// "trusted", "assembly", "windows", "install path", "registry key" or
// "registry value"; change: "added", "removed", "changed", "enabled" or
// "disabled"; before and after are empty where a side has nothing.
struct Change {
    std::string area, change, subject, before, after;
};

struct ReportDiff {
    std::vector<const Finding*> fixed, found, still;  // by rule id
    std::optional<std::string> release_before, release_after;
    std::vector<Change> changes;
};

// What changed from old_one to new_one. Both must have been inspected
// (no error); the findings point into them.
ReportDiff diff_reports(const Inspection& old_one, const Inspection& new_one);

// Text for a terminal (report text through printable), or one JSON object.
void write_diff_text(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out);
void write_diff_json(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out);
