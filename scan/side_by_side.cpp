#include "side_by_side.h"

#include "directory_inventory.h"
#include "report.h"
#include "../platform/win32.h"

#include <cstring>
#include <string>

namespace {

void write_cannot_open_winsxs()
{
    report_stream << "Can't open winsxs directory... " << write_endl;
}

} // namespace

void list_side_by_side()
{
    char windows_directory[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, windows_directory);
    list_side_by_side_of(windows_directory);
}

void list_side_by_side_of(const char* windows_directory)
{
    report_stream << "System dir                    : " << windows_directory << write_endl;
    report_stream << "Side-by-side libraries list   : " << write_endl;

    const std::string winsxs = std::string(windows_directory) + "\\winsxs";
    const std::string pattern = winsxs + "\\x86_microsoft.*";
    // Without a Windows directory the pattern would search the current
    // drive's root instead.
    if (!windows_directory[0] || pattern.size() >= MAX_PATH) {
        write_cannot_open_winsxs();
        return;
    }
    char pattern_buffer[MAX_PATH];
    std::memcpy(pattern_buffer, pattern.c_str(), pattern.size() + 1);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileExA(pattern_buffer, FindExInfoStandard, &entry,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        write_cannot_open_winsxs();
        return;
    }
    search_levels searches;
    // A section that holds no more ends the search.
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            list_directory_flat(winsxs + "\\" + entry.cFileName, searches);
    } while (report_stream && FindNextFileA(search, &entry));
    FindClose(search);
}
