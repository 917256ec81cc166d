#include "dialogs.h"
#include "dll_search.h"
#include "texts.h"
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

// Returns the exit code of the quit message.
int run_message_loop()
{
    MSG message;
    for (;;) {
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0)
            return int(message.wParam);
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

HWND open_dialog(int template_id, DLGPROC procedure, LPARAM parameter)
{
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(template_id), nullptr, procedure, parameter);
    if (!dialog) {
        MessageBoxA(nullptr, window_failure_text, program_caption, MB_OK | MB_ICONERROR);
        PostQuitMessage(1);
    }
    return dialog;
}

int WINAPI WinMain(HINSTANCE this_instance, HINSTANCE, LPSTR, int)
{
    restrict_dll_search();
    instance = this_instance;
    terms_dialog = open_dialog(IDD_TERMS, terms_dialog_proc);
    return run_message_loop();
}
