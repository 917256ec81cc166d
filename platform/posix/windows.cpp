#include "windows.h"

sent_message last_sent_message;

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    last_sent_message = {window, message, wparam, lparam};
    return 0;
}
