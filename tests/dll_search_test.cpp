// Where Windows takes the DLLs that the program's system DLLs load by name:
// the two calls that restrict it, each made where this Windows offers it.
#ifdef _WIN32
#include "app/dll_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// What the stand-ins were asked, in order.
std::vector<std::string> calls;
bool default_directories_succeed;

BOOL WINAPI set_default_dll_directories(DWORD flags)
{
    calls.push_back("SetDefaultDllDirectories " + std::to_string(flags));
    return default_directories_succeed;
}

BOOL WINAPI set_dll_directory(LPCSTR path)
{
    calls.push_back(path ? "SetDllDirectoryA \"" + std::string(path) + "\"" : "SetDllDirectoryA null");
    return TRUE;
}

FARPROC as_farproc(void (*function)())
{
    return reinterpret_cast<FARPROC>(function);
}

FARPROC windows_8(const char* name)
{
    if (std::strcmp(name, "SetDefaultDllDirectories") == 0)
        return as_farproc(reinterpret_cast<void (*)()>(set_default_dll_directories));
    if (std::strcmp(name, "SetDllDirectoryA") == 0)
        return as_farproc(reinterpret_cast<void (*)()>(set_dll_directory));
    return nullptr;
}

// Windows XP SP1 to 7 without KB2533623.
FARPROC windows_xp_sp3(const char* name)
{
    return std::strcmp(name, "SetDllDirectoryA") == 0 ? windows_8(name) : nullptr;
}

// Windows 2000 and XP before SP1.
FARPROC windows_2000(const char*)
{
    return nullptr;
}

const std::string system_folder_only = "SetDefaultDllDirectories 2048";  // LOAD_LIBRARY_SEARCH_SYSTEM32
const std::string current_folder_out = "SetDllDirectoryA \"\"";

} // namespace

TEST(DllSearch, RestrictedAsFarAsThisWindowsOffers)
{
    const struct {
        const char* name;
        FARPROC (*lookup)(const char*);
        bool default_directories_succeed;
        std::vector<std::string> expected_calls;
        bool system_folder_only, current_folder_removed;
    } cases[] = {
        {"Windows 8 and later", windows_8, true, {system_folder_only, current_folder_out}, true, true},
        {"SetDefaultDllDirectories refused", windows_8, false, {system_folder_only, current_folder_out}, false, true},
        {"Windows XP SP3", windows_xp_sp3, true, {current_folder_out}, false, true},
        {"Windows 2000: neither, and the program still starts", windows_2000, true, {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        calls.clear();
        default_directories_succeed = c.default_directories_succeed;
        const dll_search_restriction done = restrict_dll_search(c.lookup);
        EXPECT_EQ(calls, c.expected_calls);
        EXPECT_EQ(done.system_folder_only, c.system_folder_only);
        EXPECT_EQ(done.current_folder_removed, c.current_folder_removed);
    }
}

TEST(DllSearch, FindsBothCallsWhereWindowsHasThem)
{
    // Wine and Windows 8 on have both; only their lookup is tried here, since
    // the calls would hold for the rest of this process.
    EXPECT_NE(kernel32_function("SetDllDirectoryA"), nullptr);
    EXPECT_NE(kernel32_function("SetDefaultDllDirectories"), nullptr);
    EXPECT_EQ(kernel32_function("NoSuchFunctionInKernel32"), nullptr);
}
#endif
