#pragma once
#include <string>

// A Windows path as a POSIX one: each backslash becomes a slash.
std::string posix_path(const char* windows_path);
