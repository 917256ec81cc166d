#pragma once
#include "report/model.h"

#include <string_view>

// Reads a deciphered report into its model. Never fails: what does not fit
// the layout is recorded in Report::damage with its line, and the rest is
// still read.
Report parse_report(std::string_view text);
