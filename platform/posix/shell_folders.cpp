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

std::string application_data_folder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return without_trailing_slashes(config);
    const char* home = std::getenv("HOME");
    if (home && *home)
        return without_trailing_slashes(home) + "/.config";
    return std::string();
}

// The Windows directory of the Wine prefix in use: where a simulator run
// under Wine keeps its side-by-side assemblies.
std::string windows_folder()
{
    const char* chosen = std::getenv("RAVELO_WINDOWS_DIR");
    if (chosen && *chosen)
        return without_trailing_slashes(chosen);
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix)
        return without_trailing_slashes(prefix) + "/drive_c/windows";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return without_trailing_slashes(home) + "/.wine/drive_c/windows";
    return std::string();
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
