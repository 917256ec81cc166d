#include "windows.h"

LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}
