#include "../file_streams.h"

#include <fstream>

// std::ifstream opens through msvcrt's fopen, which shares the file for
// reading and writing (_SH_DENYNO); in text mode msvcrt's read drops the CR
// of each CR LF and stops at 0x1A. libstdc++ raises a failed read as the
// stream's bad flag.

std::unique_ptr<std::istream> open_text_input(const char* path)
{
    return std::make_unique<std::ifstream>(path, std::ios::in);
}
