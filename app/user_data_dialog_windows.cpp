#include "dialogs.h"
#include "texts.h"
#include "../resources/resource_ids.h"
#include "../scan/scan_state.h"

decltype(&CreateThread) create_thread = CreateThread;

namespace {

INT_PTR limit_fields(HWND dialog)
{
    SendMessageA(GetDlgItem(dialog, IDC_NAME), EM_LIMITTEXT, user_field_limit, 0);
    SendMessageA(GetDlgItem(dialog, IDC_EMAIL), EM_LIMITTEXT, user_field_limit, 0);
    SendMessageA(GetDlgItem(dialog, IDC_FORUM_NAME), EM_LIMITTEXT, user_field_limit, 0);
    SendMessageA(GetDlgItem(dialog, IDC_DESCRIPTION), EM_LIMITTEXT, description_limit, 0);
    return FALSE;
}

bool field_is_empty(HWND dialog, int id)
{
    return GetWindowTextLengthA(GetDlgItem(dialog, id)) == 0;
}

void copy_field(HWND dialog, int id, char* buffer, int buffer_size)
{
    GetWindowTextA(GetDlgItem(dialog, id), buffer, buffer_size);
}

void start_scan()
{
    progress_dialog = open_dialog(IDD_PROGRESS, progress_dialog_proc);
    if (!progress_dialog)
        return;
    // The worker reads the buffers and progress_dialog: both are set by now.
    worker_thread = create_thread(nullptr, 0, scan_worker, nullptr, 0, &worker_thread_id);
    // Only the worker would close the progress window, which has no close
    // box: without it, the scan ends here, with no report written.
    if (!worker_thread)
        SendMessageA(progress_dialog, WM_SCAN_FINISHED, FALSE, 0);
}

INT_PTR accept_form(HWND dialog)
{
    if (field_is_empty(dialog, IDC_NAME) || field_is_empty(dialog, IDC_EMAIL) ||
        field_is_empty(dialog, IDC_DESCRIPTION)) {
        MessageBoxA(user_data_dialog, required_fields_warning, "", MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    copy_field(dialog, IDC_NAME, user_name, sizeof user_name);
    copy_field(dialog, IDC_EMAIL, user_email, sizeof user_email);
    copy_field(dialog, IDC_FORUM_NAME, forum_name, sizeof forum_name);
    copy_field(dialog, IDC_DESCRIPTION, problem_description, sizeof problem_description);
    DestroyWindow(dialog);
    start_scan();
    return TRUE;
}

INT_PTR on_command(HWND dialog, WORD id)
{
    switch (id) {
    case IDC_FORM_OK:
        return accept_form(dialog);
    case IDC_FORM_EXIT:
        end_program(dialog);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK user_data_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return limit_fields(dialog);
    case WM_COMMAND:
        return on_command(dialog, LOWORD(wparam));
    case WM_CLOSE:
        end_program(dialog);
        return TRUE;
    }
    return FALSE;
}
