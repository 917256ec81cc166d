#include "report/file_names.h"

std::FILE* open_file(const std::string& name, const char* mode)
{
    return std::fopen(name.c_str(), mode);
}
