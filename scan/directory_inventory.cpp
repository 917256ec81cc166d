#include "directory_inventory.h"

#include "file_digests.h"
#include "report.h"
#include "../platform/directory_identity.h"
#include "../platform/win32.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool fits_max_path(const std::string& path)
{
    return path.size() < MAX_PATH;
}

// Windows opens the device rather than the file for these names, whatever
// the extension: "aux.ini" blocks, "nul.txt" reads nothing.
bool is_dos_device_name(const char* name)
{
    std::string base(name, std::strcspn(name, "."));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    const std::string stem = base.substr(0, 3);
    return base.size() == 4 && (stem == "COM" || stem == "LPT") && base[3] >= '1' && base[3] <= '9';
}

bool is_dot_entry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Starts a search over path's entries; INVALID_HANDLE_VALUE also when the
// pattern does not fit its MAX_PATH buffer.
HANDLE start_search(const std::string& path, WIN32_FIND_DATAA& entry, search_levels& searches)
{
    const std::string pattern = path + "\\*.*";
    if (!fits_max_path(pattern))
        return INVALID_HANDLE_VALUE;
    char pattern_buffer[MAX_PATH];
    std::memcpy(pattern_buffer, pattern.c_str(), pattern.size() + 1);
    // Only the name and the attributes are read: the basic level leaves out
    // the short name, and a large fetch queries the folder with a larger
    // buffer.
    if (!searches.basic_refused) {
        HANDLE search = FindFirstFileExA(pattern_buffer, FindExInfoBasic, &entry, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER)
            return search;
        // Windows XP and Vista know neither and refuse the call as a whole,
        // for every folder: they are not asked again.
        searches.basic_refused = true;
    }
    return FindFirstFileExA(pattern_buffer, FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0);
}

void write_file_line(const std::string& label, const std::string& text)
{
    report_stream << label << text << write_endl;
}

// Queues the file's line; it is written once the file is digested and the
// files queued before it are written.
void queue_file(file_digest_queue& files, const std::string& path, const char* name, unsigned depth)
{
    const std::string file_path = path + "\\" + name;
    std::string label = std::string(depth, '\t') + ". " + name + " \t";
    if (is_dos_device_name(name) || !fits_max_path(file_path))
        files.add_unreadable(std::move(label));
    else
        files.add_file(std::move(label), file_path);
}

// What one tree listing carries from folder to folder.
struct tree_walk {
    std::vector<directory_identity> branch;
    file_digest_queue& files;
    search_levels searches;
};

void list_tree(const std::string& path, unsigned depth, tree_walk& walk);

void list_subdirectory(const std::string& path, const char* name, unsigned depth, tree_walk& walk)
{
    walk.files.finish();
    report_stream << std::string(depth, '\t') << "O " << name << write_endl;
    list_tree(path + "\\" + name, depth + 1, walk);
}

// Every file line is written when it returns.
void list_tree(const std::string& path, unsigned depth, tree_walk& walk)
{
    // A section that holds no more ends its listing.
    if (!report_stream)
        return;
    if (!fits_max_path(path + "\\*.*")) {
        report_stream << std::string(depth, '\t') << "Path too long..." << write_endl;
        return;
    }
    directory_identity identity;
    // Some network and shared-folder file systems give every folder the
    // index 0; taken as an identity, it would make each subfolder a loop.
    const bool identified = identify_directory(path.c_str(), identity) && identity.index != 0;
    if (identified && std::find(walk.branch.begin(), walk.branch.end(), identity) != walk.branch.end())
        return;
    WIN32_FIND_DATAA entry;
    HANDLE search = start_search(path, entry, walk.searches);
    if (search == INVALID_HANDLE_VALUE)
        return;
    if (identified)
        walk.branch.push_back(identity);
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            queue_file(walk.files, path, entry.cFileName, depth);
        else if (!is_dot_entry(entry.cFileName))
            list_subdirectory(path, entry.cFileName, depth, walk);
    } while (report_stream && FindNextFileA(search, &entry));
    FindClose(search);
    walk.files.finish();
    if (identified)
        walk.branch.pop_back();
}

} // namespace

void list_directory(const std::string& path, unsigned depth)
{
    file_digest_queue files(fastest_md5_path(), write_file_line);
    tree_walk walk{{}, files, {}};
    list_tree(path, depth, walk);
}

void list_directory_flat(const std::string& path, search_levels& searches)
{
    report_stream << "O " << path << "\\" << write_endl;
    // A section that holds no more ends its listing.
    if (!report_stream)
        return;
    WIN32_FIND_DATAA entry;
    HANDLE search = start_search(path, entry, searches);
    if (search == INVALID_HANDLE_VALUE) {
        report_stream << "Can't open " << path << " directory... " << write_endl;
        return;
    }
    file_digest_queue files(fastest_md5_path(), write_file_line);
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            queue_file(files, path, entry.cFileName, 1);
    } while (report_stream && FindNextFileA(search, &entry));
    FindClose(search);
    files.finish();
}
