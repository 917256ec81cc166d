#pragma once
#include "../platform/win32.h"

// Finds a function of kernel32 by name; null where this Windows lacks it.
FARPROC kernel32_function(const char* name);

// What restrict_dll_search could do on this Windows.
struct dll_search_restriction {
    bool system_folder_only;      // SetDefaultDllDirectories took effect
    bool current_folder_removed;  // SetDllDirectoryA("") took effect
};

// Customers run Ravelo from wherever the browser saved it, beside whatever
// else was downloaded, and the system DLLs it calls load others by name at
// run time (visual styles, shell folders), looking first in the program's
// folder. This keeps DLLs to the system folder with
// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) (Windows 8, or
// Vista and 7 with KB2533623), and takes the current folder out of the
// search with SetDllDirectoryA("") (Windows XP SP1 on). Both are looked up
// through lookup, so that the program imports neither and still starts on a
// Windows that lacks them. Called first thing in WinMain.
dll_search_restriction restrict_dll_search(FARPROC (*lookup)(const char* name) = kernel32_function);
