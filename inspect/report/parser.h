#pragma once
#include "report/model.h"

#include <string>
#include <string_view>

// Reads a deciphered report into its model. Never fails: what does not fit
// the layout is recorded in Report::damage with its line, and the rest is
// still read.
Report parse_report(std::string_view text);

// The same, but for the trees, the registry sections and what the copies
// of dll.xml and fsx.cfg hold as XML and settings, which it leaves unread:
// the sections' places, the basic information, the copies as text and the
// side-by-side listing, as parse_report finds them.
Report parse_report_layout(std::string_view text);

// Whether the text holds a section banner, as even a damaged report does;
// false, with the reason in error, for anything else.
bool holds_section_banner(std::string_view text, std::string& error);
