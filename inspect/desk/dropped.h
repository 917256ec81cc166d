#pragma once
#include "audit/config.h"
#include "tools/dropped_files.h"

#include <string>
#include <vector>

// Reports and folders dropped on ravelo-inspect in Explorer. One report:
// its page NAME.html beside it. Several, or a folder (the *.dat files in
// it, not its subfolders): their overview in FIRST-overview beside the
// first input, FIRST being its name without the extension. A file the user
// made there is never written over: the page or the folder takes the next
// free name, NAME (2).html or FIRST-overview (2). The pages to open come out
// in opened; a report that could not be inspected, is
// damaged, or whose page cannot be written is a problem.
DroppedOutcome inspect_dropped(const std::vector<std::string>& inputs, const Config& config,
                               unsigned jobs);

// The overview folder for inputs whose first is first_input: FIRST-overview,
// else FIRST-overview (2)... when that is a file, or a folder holding other
// than an earlier overview; "" when every name is taken.
std::string overview_folder_beside(const std::string& first_input);
