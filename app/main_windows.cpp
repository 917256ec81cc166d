#include "dialogs.h"
#include "../resources/resource_ids.h"

#include <initializer_list>

HINSTANCE instance;
HWND terms_dialog;
HWND user_data_dialog;
HWND completion_dialog;
HANDLE worker_thread;
DWORD worker_thread_id;

namespace {

bool offer_to_dialogs(MSG& message)
{
    for (HWND dialog : {terms_dialog, user_data_dialog, progress_dialog, completion_dialog}) {
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &message))
            return true;
    }
    return false;
}

void run_message_loop()
{
    MSG message;
    for (;;) {
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0)
            return;
        if (result == -1)
            continue;
        if (offer_to_dialogs(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

void end_program(HWND dialog)
{
    DestroyWindow(dialog);
    PostQuitMessage(0);
}

int WINAPI WinMain(HINSTANCE this_instance, HINSTANCE, LPSTR, int)
{
    instance = this_instance;
    terms_dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_TERMS), nullptr,
                                      terms_dialog_proc, 0);
    run_message_loop();
    return 0;
}
