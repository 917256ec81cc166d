#pragma once
// The Windows front end: four modeless dialogs shown one after the other,
// driven by the one message loop of the interface thread.
#include "../platform/win32.h"
#include "../scan/scan_worker.h"

// Stored by WinMain, used for every dialog creation.
extern HINSTANCE instance;

// Null until the dialog is created, never cleared after it is destroyed;
// the message loop tests each with IsWindow. progress_dialog is declared
// with the scan worker, which reads it at its end.
extern HWND terms_dialog;
extern HWND user_data_dialog;
extern HWND completion_dialog;

// The worker's handle and id, kept but never used again: the worker is
// neither waited for nor closed.
extern HANDLE worker_thread;
extern DWORD worker_thread_id;

INT_PTR CALLBACK terms_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK user_data_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Ignores WM_CLOSE: the process must not end under a running worker. On
// WM_SCAN_FINISHED it swaps itself for the completion dialog.
INT_PTR CALLBACK progress_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// The init parameter is nonzero when the report file was written; otherwise
// the dialog says that it could not be.
INT_PTR CALLBACK completion_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Destroys the dialog and posts the quit message with exit code 0.
void end_program(HWND dialog);

// Creates a dialog from the program's templates, with no owner. When it
// cannot be created, no window would be left to end the program: the user is
// told so in a message box, the quit message is posted with exit code 1, and
// the result is null.
HWND open_dialog(int template_id, DLGPROC procedure, LPARAM parameter = 0);

// How the form starts the worker: CreateThread, unless a test puts a
// failing stand-in here.
extern decltype(&CreateThread) create_thread;
