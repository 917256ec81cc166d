#pragma once
#include "report/model.h"

#include <string>
#include <string_view>

// Reads a deciphered report into its model. Never fails: what does not fit
// the layout is recorded in Report::damage with its line, and the rest is
// still read.
Report parse_report(std::string_view text);

// Whether the text holds a section banner, as even a damaged report does;
// false, with the reason in error, for anything else.
bool holds_section_banner(std::string_view text, std::string& error);
