#include "report/file_names.h"

std::FILE* open_file(const std::string& name, const char* mode)
{
    const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path_from_utf8(name).c_str(), wide_mode.c_str());
}
