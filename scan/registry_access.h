#pragma once
#include "../platform/win32.h"

// The access both registry opens of the scan ask for. The 32-bit simulator
// keeps its key in the 32-bit view of the registry. A 32-bit program gets
// that view without asking, and Windows 2000 knows no view flag (its access
// check may refuse the unknown bit), so the 32-bit build asks for KEY_READ
// alone. A 64-bit build, and the substitute with its two views, ask for the
// 32-bit view.
#if defined(_WIN32) && !defined(_WIN64)
constexpr REGSAM registry_read_access = KEY_READ;
#else
constexpr REGSAM registry_read_access = KEY_READ | KEY_WOW64_32KEY;
#endif
