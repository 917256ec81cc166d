#pragma once
#include <cstdio>
#include <filesystem>
#include <string>

// ravelo-inspect holds every file name as UTF-8 (on Windows it takes the
// command line as UTF-16 and converts it); these give the system's own form.
// On Linux the bytes pass through unchanged.
std::filesystem::path path_from_utf8(const std::string& name);
std::string utf8_from_path(const std::filesystem::path& path);

// std::fopen for a UTF-8 name: the narrow fopen of Windows would read it in
// the ANSI code page.
std::FILE* open_file(const std::string& name, const char* mode);
