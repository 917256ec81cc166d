#include "file_search.h"
#include "call_counts.h"
#include "fault_injection.h"
#include "last_error.h"
#include "paths.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct found_entry {
    std::string name;
    DWORD attributes;
};

struct search_state {
    std::vector<found_entry> entries;
    std::size_t next = 0;
};

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool wildcard_match(const char* pattern, const char* name)
{
    // Backtracks to the last '*' only: linear enough for file names.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && upper(*pattern) == upper(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

bool name_matches(const std::string& pattern, const std::string& name)
{
    // Windows reads "*.*" as every name, those without a dot included.
    return pattern == "*.*" || wildcard_match(pattern.c_str(), name.c_str());
}

bool upper_case_order(const found_entry& a, const found_entry& b)
{
    const std::size_t length = std::min(a.name.size(), b.name.size());
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = upper(a.name[i]), y = upper(b.name[i]);
        if (x != y)
            return x < y;
    }
    if (a.name.size() != b.name.size())
        return a.name.size() < b.name.size();
    return a.name < b.name;
}

DWORD attributes_of(const std::string& path, unsigned char type)
{
    if (type == DT_DIR)
        return FILE_ATTRIBUTE_DIRECTORY;
    if (type == DT_REG)
        return FILE_ATTRIBUTE_ARCHIVE;
    struct stat status;
    DWORD attributes = 0;
    if (lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return attributes | FILE_ATTRIBUTE_DIRECTORY;
    return attributes | FILE_ATTRIBUTE_ARCHIVE;
}

bool read_directory(const std::string& directory, const std::string& pattern,
                    std::vector<found_entry>& entries)
{
    DIR* stream = opendir(directory.c_str());
    if (!stream)
        return false;
    std::vector<found_entry> named;
    while (const dirent* entry = readdir(stream)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || !name_matches(pattern, name))
            continue;
        named.push_back({name, attributes_of(directory + "/" + name, entry->d_type)});
    }
    closedir(stream);
    std::sort(named.begin(), named.end(), upper_case_order);
    for (const char* dots : {".", ".."})
        if (name_matches(pattern, dots))
            entries.push_back({dots, FILE_ATTRIBUTE_DIRECTORY});
    entries.insert(entries.end(), named.begin(), named.end());
    return true;
}

void fill_record(const found_entry& entry, WIN32_FIND_DATAA* record)
{
    std::memset(record, 0, sizeof *record);
    record->dwFileAttributes = entry.attributes;
    std::strncpy(record->cFileName, entry.name.c_str(), MAX_PATH - 1);
}

bool before_windows_7;

HANDLE failed_search(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

bool is_directory(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

HANDLE FindFirstFileExA(LPCSTR pattern, FINDEX_INFO_LEVELS level, LPVOID find_data,
                        FINDEX_SEARCH_OPS, LPVOID, DWORD flags)
{
    count_call(__func__);
    if (level == FindExInfoBasic)
        count_call("FindFirstFileExA at the basic level");
    const std::string whole = pattern;
    if (before_windows_7 && (level != FindExInfoStandard || (flags & ~FIND_FIRST_EX_CASE_SENSITIVE)))
        return failed_search(ERROR_INVALID_PARAMETER);
    if (whole.size() >= MAX_PATH)
        return failed_search(ERROR_FILENAME_EXCED_RANGE);
    if (call_fails(substitute_call::find_first_file))
        return failed_search(ERROR_ACCESS_DENIED);
    const std::size_t separator = whole.find_last_of("\\/");
    std::string directory = ".";
    if (separator == 0)
        directory = "/";
    else if (separator != std::string::npos)
        directory = posix_path(whole.substr(0, separator).c_str());
    const std::string name_pattern =
        separator == std::string::npos ? whole : whole.substr(separator + 1);

    auto* search = new search_state;
    if (!read_directory(directory, name_pattern, search->entries) || search->entries.empty()) {
        delete search;
        return failed_search(is_directory(directory) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    }
    fill_record(search->entries[search->next++], static_cast<WIN32_FIND_DATAA*>(find_data));
    return search;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA find_data)
{
    count_call(__func__);
    auto* search = static_cast<search_state*>(handle);
    if (call_fails(substitute_call::find_next_file) || search->next == search->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    fill_record(search->entries[search->next++], find_data);
    return TRUE;
}

BOOL FindClose(HANDLE handle)
{
    count_call(__func__);
    delete static_cast<search_state*>(handle);
    return TRUE;
}

void search_as_before_windows_7(bool on)
{
    before_windows_7 = on;
}
