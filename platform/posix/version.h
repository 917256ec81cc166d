#pragma once
#include "win32_types.h"

// The version records of Windows, field for field (the extended one is 156
// bytes).
struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
typedef OSVERSIONINFOEXA* LPOSVERSIONINFOEXA;

#define VER_NT_WORKSTATION 1
#define VER_NT_DOMAIN_CONTROLLER 2
#define VER_NT_SERVER 3

// There is no Windows here to ask: by default the query fails (FALSE) and
// leaves the record as the caller filled it. After set_version_record it
// fills the record with the one set, keeping the caller's size field; a
// record of the short kind gets the short part only.
BOOL GetVersionExA(LPOSVERSIONINFOA record);

// Test hooks, not part of Win32: the record GetVersionExA gives from now on,
// or (null) back to failing.
void set_version_record(const OSVERSIONINFOEXA* record);
