#pragma once
// The Win32 narrow-character operations the scan uses, by their own names.
// On Windows they are the system's; elsewhere a substitute with the same
// names and contracts stands in, so the scan's logic runs and is tested
// without Windows.
#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#else
#include "posix/win32_types.h"
#include "posix/last_error.h"
#include "posix/files.h"
#include "posix/registry.h"
#include "posix/shell_folders.h"
#include "posix/version.h"
#include "posix/file_search.h"
#include "posix/windows.h"
#endif
