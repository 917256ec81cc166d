#pragma once
#include "win32_types.h"

// There are no windows on this platform. As on Windows, a message sent to a
// handle that is not a window is dropped and the call returns 0; the last
// one is kept for tests.
struct HWND__;
typedef HWND__* HWND;

#define WM_CLOSE 0x0010
#define WM_APP 0x8000

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

struct sent_message {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};
extern sent_message last_sent_message;
