#pragma once
#include <string>

// Copies a text file into the report line by line, or writes
// "File not found..." when it cannot be opened. A read error ends the copy
// with the line "Can't read file to its end...".
void dump_text_file(const std::string& path);
