#pragma once
#include "win32_types.h"

struct HKEY__;
typedef HKEY__* HKEY;

// The predefined roots carry the handle values Windows gives them.
#define HKEY_CLASSES_ROOT ((HKEY)(std::uintptr_t)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(std::uintptr_t)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(std::uintptr_t)0x80000002)
#define HKEY_USERS ((HKEY)(std::uintptr_t)0x80000003)
#define HKEY_PERFORMANCE_DATA ((HKEY)(std::uintptr_t)0x80000004)
#define HKEY_CURRENT_CONFIG ((HKEY)(std::uintptr_t)0x80000005)
#define HKEY_PERFORMANCE_TEXT ((HKEY)(std::uintptr_t)0x80000050)
#define HKEY_PERFORMANCE_NLSTEXT ((HKEY)(std::uintptr_t)0x80000060)
