#include "shell_folders.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string without_trailing_slashes(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

// The folder an environment variable names, or empty when it is unset.
std::string folder_from(const char* variable, const char* below = "")
{
    const char* value = std::getenv(variable);
    if (!value || !*value)
        return std::string();
    return without_trailing_slashes(value) + below;
}

std::string application_data_folder()
{
    std::string folder = folder_from("XDG_CONFIG_HOME");
    return folder.empty() ? folder_from("HOME", "/.config") : folder;
}

// The Windows directory of the Wine prefix in use: where a simulator run
// under Wine keeps its side-by-side assemblies.
std::string windows_folder()
{
    std::string folder = folder_from("RAVELO_WINDOWS_DIR");
    if (folder.empty())
        folder = folder_from("WINEPREFIX", "/drive_c/windows");
    return folder.empty() ? folder_from("HOME", "/.wine/drive_c/windows") : folder;
}

} // namespace

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path)
{
    path[0] = '\0';
    std::string found;
    if (folder == CSIDL_APPDATA)
        found = application_data_folder();
    else if (folder == CSIDL_WINDOWS)
        found = windows_folder();
    if (found.empty() || found.size() >= MAX_PATH)
        return E_FAIL;
    std::memcpy(path, found.c_str(), found.size() + 1);
    return S_OK;
}
