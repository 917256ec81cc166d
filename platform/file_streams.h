#pragma once
#include <istream>
#include <memory>

// An input stream over a file named by a Windows path, opened without
// denying other processes any access, and read in Windows text mode: a
// carriage return before a line feed is dropped, a lone carriage return is
// kept, and a 0x1A byte ends the input. A file that cannot be opened
// (missing, locked, access denied, a directory) gives a stream that is failed
// from the start; a read error part-way through sets the stream's bad flag,
// so a caller can tell it from the end of the file.
std::unique_ptr<std::istream> open_text_input(const char* path);
