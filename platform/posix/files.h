#pragma once
#include "win32_types.h"

#define MOVEFILE_REPLACE_EXISTING 0x1

// Renames existing to target; with MOVEFILE_REPLACE_EXISTING an existing
// target is replaced in one step. Nonzero on success.
BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags);
// Nonzero when the file was removed.
BOOL DeleteFileA(LPCSTR path);
