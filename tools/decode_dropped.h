#pragma once
#include "dropped_files.h"

// ravelo-decode started from Explorer: each report's text is written beside
// it as NAME.txt, to be opened; a file that is no report, or whose text
// cannot be written there, is a problem.
DroppedOutcome decode_dropped(const std::vector<std::string>& reports);
