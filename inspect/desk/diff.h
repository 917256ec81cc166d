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
// "disabled"; before and after are empty where a side has nothing (for a
// registry key: the reporter's failure to read it, empty when it could). An
// entry whose key a report holds more than once (a second [Trusted] line
// for one module) is compared as the first, second... of that key.
struct Change {
    std::string area, change, subject, before, after;
};

// A part of the installation that one report or both do not show whole (a
// section missing, damaged or cut short, a folder not listed, a registry
// key not read): nothing either lacks there is taken as added or removed.
// area as for Change, "registry" for keys and values; subject: the folder
// or key, empty for the whole area; old_side and new_side: why that report
// does not show it, empty where it does.
struct Gap {
    std::string area, subject, old_side, new_side;
};

struct ReportDiff {
    std::vector<const Finding*> fixed, found, still;  // by rule id
    // Gone from the new report, which does not show whole what the rule
    // reads: not known to be fixed.
    std::vector<const Finding*> unsure;
    // In the new report only, while the old one does not show whole what
    // the rule reads: not known to be new.
    std::vector<const Finding*> unseen;
    std::optional<std::string> release_before, release_after;
    std::vector<Change> changes;
    std::vector<Gap> gaps;
};

// What changed from old_one to new_one. Both must have been inspected
// (no error); the findings point into them.
ReportDiff diff_reports(const Inspection& old_one, const Inspection& new_one);

// Text for a terminal (report text through printable, file names through
// printable_utf8), or one JSON object.
void write_diff_text(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out);
void write_diff_json(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out);
