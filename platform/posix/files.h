#pragma once
#include "win32_types.h"

#define MOVEFILE_REPLACE_EXISTING 0x1

// Renames existing to target; with MOVEFILE_REPLACE_EXISTING an existing
// target is replaced in one step. Nonzero on success. Tests can make it
// refuse (fault_injection.h), as Windows does while another program holds
// the target open without sharing its deletion.
BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags);
// Nonzero when the file was removed.
BOOL DeleteFileA(LPCSTR path);
