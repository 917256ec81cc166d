#pragma once
#include <string>

// True when text begins as every Ravelo report does: with the banner of its
// first section, "Basic information", or with the line "Can't find FSX
// registry entry." and then that banner. A wrong, damaged or truncated file
// deciphers to text that does not.
bool looks_like_report(const std::string& text);
