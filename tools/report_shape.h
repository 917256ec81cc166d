#pragma once
#include <cstddef>
#include <string>

// The title lines of a report's nine section banners, in report order.
const std::size_t section_count = 9;
extern const char* const section_title_lines[section_count];

// Larger inputs are refused rather than read: no report comes near this.
const std::size_t max_report_bytes = 256u << 20;

// True when text begins as every Ravelo report does: with the banner of its
// first section, "Basic information", or with the line "Can't find FSX
// registry entry." and then that banner. A wrong, damaged or truncated file
// deciphers to text that does not.
bool looks_like_report(const std::string& text);
