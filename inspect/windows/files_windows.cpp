#include "report/file_names.h"

#include <windows.h>
#include <shellapi.h>

std::FILE* open_file(const std::string& name, const char* mode)
{
    const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path_from_utf8(name).c_str(), wide_mode.c_str());
}

bool open_with_default_program(const std::string& name, std::string& error)
{
    // ShellExecuteW reports success with a value above 32, an old
    // convention kept for compatibility.
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", path_from_utf8(name).c_str(),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        error = "no program opens " + name + " (ShellExecute error " +
                std::to_string(reinterpret_cast<INT_PTR>(result)) + ")";
        return false;
    }
    return true;
}
