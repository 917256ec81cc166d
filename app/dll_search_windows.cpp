#include "dll_search.h"

namespace {

typedef BOOL(WINAPI* set_default_dll_directories_type)(DWORD flags);
typedef BOOL(WINAPI* set_dll_directory_type)(LPCSTR path);

// FARPROC stands for any function; cast through void (*)(), which matches
// every function type, the cast to the real type draws no warning.
template <typename Function>
Function function_at(FARPROC address)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

} // namespace

FARPROC kernel32_function(const char* name)
{
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

dll_search_restriction restrict_dll_search(FARPROC (*lookup)(const char* name))
{
    dll_search_restriction done = {false, false};
    if (FARPROC address = lookup("SetDefaultDllDirectories"))
        done.system_folder_only =
            function_at<set_default_dll_directories_type>(address)(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
    // An empty path, not a null one: null would put the current folder back.
    if (FARPROC address = lookup("SetDllDirectoryA"))
        done.current_folder_removed = function_at<set_dll_directory_type>(address)("") != FALSE;
    return done;
}
