#pragma once
#include <string>

// Copies a text file into the report line by line, or writes
// "File not found..." when it cannot be opened.
void dump_text_file(const std::string& path);
