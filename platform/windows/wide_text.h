#pragma once
#include <string>
#include <vector>

// Windows names files in UTF-16; the support tools hold every name as UTF-8.
std::string utf8_from_wide(const wchar_t* text);
std::wstring wide_from_utf8(const std::string& text);

// wmain's arguments as UTF-8, so that any file name reaches the program
// whatever the ANSI code page.
std::vector<std::string> utf8_arguments(int argc, wchar_t** argv);

// Pointers to the arguments, as a narrow main takes them, ending with null.
std::vector<char*> argument_pointers(std::vector<std::string>& arguments);
