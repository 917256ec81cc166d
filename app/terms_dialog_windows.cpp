#include "dialogs.h"
#include "texts.h"
#include "../resources/resource_ids.h"

namespace {

INT_PTR show_consent_text(HWND dialog)
{
    SetWindowTextA(GetDlgItem(dialog, IDC_CONSENT_TEXT), consent_text);
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
    return FALSE;
}

INT_PTR accept_terms(HWND dialog)
{
    if (SendMessageA(GetDlgItem(dialog, IDC_ACCEPT_TERMS), BM_GETCHECK, 0, 0) != BST_CHECKED) {
        MessageBoxA(terms_dialog, consent_warning, "", MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    DestroyWindow(dialog);
    user_data_dialog = open_dialog(IDD_USER_DATA, user_data_dialog_proc);
    return TRUE;
}

INT_PTR on_command(HWND dialog, WORD id)
{
    switch (id) {
    case IDOK:
        return accept_terms(dialog);
    case IDCANCEL:
        end_program(dialog);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK terms_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return show_consent_text(dialog);
    case WM_COMMAND:
        return on_command(dialog, LOWORD(wparam));
    case WM_CLOSE:
        end_program(dialog);
        return TRUE;
    }
    return FALSE;
}
