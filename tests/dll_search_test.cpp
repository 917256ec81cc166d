// Where Windows takes the DLLs that the program's system DLLs load by name:
// the two calls that restrict it, each made where this Windows offers it.
#ifdef _WIN32
#include "app/dll_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// This Windows's kernel32 as a row describes it, and what it was asked.
bool offers_default_directories, offers_dll_directory, default_directories_succeed;
std::vector<std::string> calls;

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

FARPROC stand_in_kernel32(const char* name)
{
    void (*found)() = nullptr;
    if (offers_default_directories && std::strcmp(name, "SetDefaultDllDirectories") == 0)
        found = reinterpret_cast<void (*)()>(set_default_dll_directories);
    if (offers_dll_directory && std::strcmp(name, "SetDllDirectoryA") == 0)
        found = reinterpret_cast<void (*)()>(set_dll_directory);
    return reinterpret_cast<FARPROC>(found);
}

const std::string system_folder_only = "SetDefaultDllDirectories 2048";  // LOAD_LIBRARY_SEARCH_SYSTEM32
const std::string current_folder_out = "SetDllDirectoryA \"\"";

} // namespace

TEST(DllSearch, RestrictedAsFarAsThisWindowsOffers)
{
    const struct {
        const char* name;
        bool offers_default_directories, offers_dll_directory, default_directories_succeed;
        std::vector<std::string> expected_calls;
        bool system_folder_only, current_folder_removed;
    } cases[] = {
        {"Windows 8 and later", true, true, true, {system_folder_only, current_folder_out}, true, true},
        {"SetDefaultDllDirectories refused", true, true, false, {system_folder_only, current_folder_out}, false, true},
        {"Windows XP SP1 to 7 without KB2533623", false, true, true, {current_folder_out}, false, true},
        {"Windows 2000: neither, and the program still starts", false, false, true, {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        offers_default_directories = c.offers_default_directories;
        offers_dll_directory = c.offers_dll_directory;
        default_directories_succeed = c.default_directories_succeed;
        calls.clear();
        const dll_search_restriction done = restrict_dll_search(stand_in_kernel32);
        EXPECT_EQ(calls, c.expected_calls);
        EXPECT_EQ(done.system_folder_only, c.system_folder_only);
        EXPECT_EQ(done.current_folder_removed, c.current_folder_removed);
    }
    // The real lookup, not the calls: they would hold for the rest of this
    // process. Wine, like Windows 8 on, has both.
    EXPECT_NE(kernel32_function("SetDefaultDllDirectories"), nullptr);
    EXPECT_NE(kernel32_function("SetDllDirectoryA"), nullptr);
}
#endif
