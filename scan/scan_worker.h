#pragma once
#include "../platform/win32.h"

// Sent to progress_dialog when the scan is over; wparam is nonzero when the
// report file was written.
#define WM_SCAN_FINISHED (WM_APP + 1)

// The window the worker tells when the scan is over; set by the front end
// before the worker starts.
extern HWND progress_dialog;

// Writes every section into report_stream and seals it into the report
// file. True when the report file was written.
bool run_scan();

// The worker thread's routine: run_scan, then WM_SCAN_FINISHED sent to
// progress_dialog, waiting until it is handled. Always returns 0.
DWORD WINAPI scan_worker(LPVOID unused);
