#pragma once
#include "platform/win32.h"

// A named event whose creation shows in a trace of Wine's server calls, so
// that a count of calls can start and end where the measured work does.
inline void mark(const char* name)
{
#ifdef _WIN32
    CloseHandle(CreateEventA(nullptr, TRUE, FALSE, name));
#else
    (void)name;
#endif
}
