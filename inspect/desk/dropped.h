#pragma once
#include "audit/config.h"
#include "tools/dropped_files.h"

#include <string>
#include <vector>

// Reports and folders dropped on ravelo-inspect in Explorer. One report:
// its page NAME.html beside it. Several, or a folder (the *.dat files in
// it, not its subfolders): their overview in FIRST-overview beside the
// first input, FIRST being its name without the extension. The pages to
// open come out in opened; a report that could not be inspected, is
// damaged, or whose page cannot be written is a problem.
DroppedOutcome inspect_dropped(const std::vector<std::string>& inputs, const Config& config,
                               unsigned jobs);

// The overview folder for inputs whose first is first_input.
std::string overview_folder_beside(const std::string& first_input);
