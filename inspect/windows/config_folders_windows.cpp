#include "audit/config_location.h"
#include "platform/windows/wide_text.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

std::string program_folder()
{
    // GetModuleFileNameW cuts the name to fit without saying so but by
    // filling the buffer: a full buffer is tried again twice as large.
    std::vector<wchar_t> name(MAX_PATH);
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()))) ==
               name.size() &&
           name.size() < 32768)
        name.resize(name.size() * 2);
    if (length == 0 || length == name.size())
        return std::string();
    std::string program = utf8_from_wide(name.data());
    const std::size_t separator = program.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : program.substr(0, separator);
}

// %APPDATA%\Ravelo: the roaming application data, which follows the user
// from machine to machine in a domain.
std::string user_config_folder()
{
    wchar_t folder[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
        return std::string();
    return utf8_from_wide(folder) + "\\Ravelo";
}
