#pragma once
#include "win32_types.h"

struct HWND__;
typedef HWND__* HWND;

#define CSIDL_APPDATA 0x001a
#define CSIDL_WINDOWS 0x0024
#define SHGFP_TYPE_CURRENT 0

// CSIDL_APPDATA: $XDG_CONFIG_HOME, else $HOME/.config. CSIDL_WINDOWS:
// $RAVELO_WINDOWS_DIR, else $WINEPREFIX/drive_c/windows, else
// $HOME/.wine/drive_c/windows. Either without a trailing separator.
// Fills path (MAX_PATH bytes) with a terminated text; S_OK on success,
// E_FAIL (path emptied) when no folder is known or it is too long.
HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);
