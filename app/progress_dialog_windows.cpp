#include "dialogs.h"
#include "texts.h"
#include "../resources/resource_ids.h"

namespace {

INT_PTR show_completion(WPARAM report_written)
{
    DestroyWindow(progress_dialog);
    // The failure text takes a line more: its template has room for it.
    completion_dialog = open_dialog(report_written ? IDD_COMPLETION : IDD_COMPLETION_NOT_WRITTEN,
                                    completion_dialog_proc, LPARAM(report_written));
    return TRUE;
}

INT_PTR show_outcome(HWND dialog, LPARAM report_written)
{
    // The template holds the text for a written report; the dialog's one
    // static control is the text.
    if (!report_written)
        SetWindowTextA(FindWindowExA(dialog, nullptr, "Static", nullptr), failure_text);
    return FALSE;
}

} // namespace

INT_PTR CALLBACK progress_dialog_proc(HWND, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_SCAN_FINISHED:
        return show_completion(wparam);
    case WM_CLOSE:
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK completion_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return show_outcome(dialog, lparam);
    case WM_COMMAND:
        if (LOWORD(wparam) != IDOK)
            return FALSE;
        end_program(dialog);
        return TRUE;
    case WM_CLOSE:
        end_program(dialog);
        return TRUE;
    }
    return FALSE;
}
