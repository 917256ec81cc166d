#include "directory_inventory.h"

#include "report.h"
#include "../platform/directory_identity.h"
#include "../platform/file_streams.h"
#include "../platform/win32.h"
#include "../seal/md5.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const char cannot_read[] = "Can't read file...";

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
HANDLE start_search(const std::string& path, WIN32_FIND_DATAA& entry)
{
    const std::string pattern = path + "\\*.*";
    if (!fits_max_path(pattern))
        return INVALID_HANDLE_VALUE;
    char pattern_buffer[MAX_PATH];
    std::memcpy(pattern_buffer, pattern.c_str(), pattern.size() + 1);
    return FindFirstFileExA(pattern_buffer, FindExInfoStandard, &entry,
                            FindExSearchNameMatch, nullptr, 0);
}

// The text after a file's name: its digest, or "Can't read file..." when it
// is not read to its end (a digest of nothing, or of part of the file, would
// tell the maker something false).
std::string file_digest_text(const std::string& path, const char* name)
{
    if (is_dos_device_name(name) || !fits_max_path(path))
        return cannot_read;
    std::unique_ptr<std::istream> file = open_binary_input(path.c_str());
    if (!file->good())
        return cannot_read;
    const MD5 digest(*file);
    if (file->bad())
        return cannot_read;
    return digest.hex_digest();
}

void write_file_line(const std::string& path, const char* name, unsigned depth)
{
    report_stream << std::string(depth, '\t') << ". " << name << " \t"
                  << file_digest_text(path + "\\" + name, name) << write_endl;
}

void list_tree(const std::string& path, unsigned depth, std::vector<directory_identity>& branch);

void list_subdirectory(const std::string& path, const char* name, unsigned depth,
                       std::vector<directory_identity>& branch)
{
    report_stream << std::string(depth, '\t') << "O " << name << write_endl;
    list_tree(path + "\\" + name, depth + 1, branch);
}

void list_tree(const std::string& path, unsigned depth, std::vector<directory_identity>& branch)
{
    if (!fits_max_path(path + "\\*.*")) {
        report_stream << std::string(depth, '\t') << "Path too long..." << write_endl;
        return;
    }
    directory_identity identity;
    // Some network and shared-folder file systems give every folder the
    // index 0; taken as an identity, it would make each subfolder a loop.
    const bool identified = identify_directory(path.c_str(), identity) && identity.index != 0;
    if (identified && std::find(branch.begin(), branch.end(), identity) != branch.end())
        return;
    WIN32_FIND_DATAA entry;
    HANDLE search = start_search(path, entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    if (identified)
        branch.push_back(identity);
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            write_file_line(path, entry.cFileName, depth);
        else if (!is_dot_entry(entry.cFileName))
            list_subdirectory(path, entry.cFileName, depth, branch);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    if (identified)
        branch.pop_back();
}

} // namespace

void list_directory(const std::string& path, unsigned depth)
{
    std::vector<directory_identity> branch;
    list_tree(path, depth, branch);
}

void list_directory_flat(const std::string& path)
{
    report_stream << "O " << path << "\\" << write_endl;
    WIN32_FIND_DATAA entry;
    HANDLE search = start_search(path, entry);
    if (search == INVALID_HANDLE_VALUE) {
        report_stream << "Can't open " << path << " directory... " << write_endl;
        return;
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            write_file_line(path, entry.cFileName, 1);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}
