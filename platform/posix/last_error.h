#pragma once
#include "win32_types.h"

// The calling thread's last error code, as the substitute's calls set it
// when they fail.
DWORD GetLastError();
void SetLastError(DWORD error);
