#include "paths.h"

std::string posix_path(const char* windows_path)
{
    std::string path(windows_path);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}
