#include "report/file_names.h"

std::filesystem::path path_from_utf8(const std::string& name)
{
    return std::filesystem::u8path(name);
}

std::string utf8_from_path(const std::filesystem::path& path)
{
    return path.u8string();
}
