#pragma once
// Trees and file states for the file-section tests, made the same way on
// both platforms where they can be, and by each platform's own means where
// they cannot.
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/fault_injection.h"
#include "platform/posix/paths.h"
#include <unistd.h>
#endif

// The separator of paths handed to the sections, as the scan composes them.
inline std::string windows_join(const std::string& directory, const std::string& name)
{
    return directory + "\\" + name;
}

#ifdef _WIN32

inline bool entry_exists(const std::string& directory, const std::string& name)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileExA(windows_join(directory, name).c_str(), FindExInfoStandard,
                                     &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

// Runs a Unix program in directory; only Wine can. Wine gives no usable
// process handle for it, so the caller waits for the program's effect.
inline bool run_unix_program(const std::string& directory, const char* program, std::string command_line)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(program, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

inline bool wait_for_entry(const std::string& directory, const std::string& name)
{
    for (int tries = 0; tries < 100; ++tries) {
        if (entry_exists(directory, name))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Makes directory\link_name a link to the directory target (relative to
// directory, '/' as separator). False when this system cannot.
inline bool make_directory_link(const std::string& directory, const std::string& link_name,
                                const std::string& target)
{
    std::string windows_target = target;
    for (char& c : windows_target)
        if (c == '/')
            c = '\\';
    const std::string link = windows_join(directory, link_name);
    if (CreateSymbolicLinkA(link.c_str(), windows_target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
        (GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    // Wine 8 answers CreateSymbolicLinkA with success and makes nothing; a
    // Unix link made beside it shows as a reparse point.
    return run_unix_program(directory, "Z:\\bin\\ln", "ln -s " + target + " " + link_name) &&
           wait_for_entry(directory, link_name);
}

// Makes a file whose name Win32 reads as a device (aux.ini), holding one
// byte. Only Wine, through a Unix program, can.
inline bool make_file_named_like_device(const std::string& directory, const std::string& name)
{
    return run_unix_program(directory, "Z:\\bin\\sh", "sh -c \"printf x > " + name + "\"") &&
           wait_for_entry(directory, name);
}

// Keeps the file at path from being opened: on Windows by holding it open
// without sharing it; elsewhere the substitute refuses the next file open.
class open_refused {
public:
    explicit open_refused(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~open_refused()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    open_refused(const open_refused&) = delete;
    open_refused& operator=(const open_refused&) = delete;
    bool in_force() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

#else

inline bool make_directory_link(const std::string& directory, const std::string& link_name,
                                const std::string& target)
{
    return symlink(target.c_str(), posix_path((directory + "/" + link_name).c_str()).c_str()) == 0;
}

inline bool make_file_named_like_device(const std::string& directory, const std::string& name)
{
    std::ofstream file(posix_path((directory + "/" + name).c_str()), std::ios::binary);
    file << 'x';
    return bool(file);
}

class open_refused {
public:
    explicit open_refused(const std::string&) { fail_call(substitute_call::open_file, 1); }
    ~open_refused() { clear_call_failures(); }
    open_refused(const open_refused&) = delete;
    open_refused& operator=(const open_refused&) = delete;
    bool in_force() const { return true; }
};

#endif
