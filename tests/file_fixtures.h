#pragma once
// Trees and file states for the file-section tests, made the same way on
// both platforms where they can be, and by each platform's own means where
// they cannot.
#include <chrono>
#include <climits>
#include <cstdio>
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

// Looks through the whole directory: a search for a device name such as
// aux.ini alone would find the device.
inline bool entry_exists(const std::string& directory, const std::string& name)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileExA(windows_join(directory, "*.*").c_str(), FindExInfoStandard,
                                     &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    do
        found = found || name == entry.cFileName;
    while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

inline bool running_under_wine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
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

inline bool wait_for_entry(const std::string& directory, const std::string& name, bool present = true)
{
    for (int tries = 0; tries < 100; ++tries) {
        if (entry_exists(directory, name) == present)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Runs a Unix program under Wine and waits until its effect shows.
inline bool run_unix_program_until(const std::string& directory, const char* program,
                                   const std::string& command_line, const std::string& name,
                                   bool present)
{
    return run_unix_program(directory, program, command_line) &&
           wait_for_entry(directory, name, present);
}

// Makes directory\name a link to the directory target (relative to
// directory, '/' as separator) and removes it when it goes. Removing a tree
// through a link to its own top would never end, so the link goes first.
class directory_link {
public:
    directory_link(const std::string& directory, const std::string& name, const std::string& target)
        : directory(directory), name(name)
    {
        std::string windows_target = target;
        for (char& c : windows_target)
            if (c == '/')
                c = '\\';
        // Wine 8's CreateSymbolicLinkA does not make a link Wine follows; a
        // Unix link shows as a directory and a reparse point.
        if (running_under_wine())
            made = run_unix_program_until(directory, "Z:\\bin\\ln", "ln -s " + target + " " + name, name, true);
        else
            made = CreateSymbolicLinkA(windows_join(directory, name).c_str(), windows_target.c_str(),
                                       SYMBOLIC_LINK_FLAG_DIRECTORY);
    }
    ~directory_link()
    {
        if (made && running_under_wine())
            run_unix_program_until(directory, "Z:\\bin\\rm", "rm -f " + name, name, false);
        else if (made)
            RemoveDirectoryA(windows_join(directory, name).c_str());
    }
    directory_link(const directory_link&) = delete;
    directory_link& operator=(const directory_link&) = delete;
    bool ok() const { return made; }

private:
    std::string directory, name;
    bool made = false;
};

// Makes a file whose name Win32 reads as a device (aux.ini), holding one
// byte, and removes it when it goes: through Win32 both would reach the
// device. Only Wine, through a Unix program, can.
class file_named_like_device {
public:
    file_named_like_device(const std::string& directory, const std::string& name)
        : directory(directory), name(name)
    {
        // Written aside and renamed, so the name shows only with its byte.
        // Quoted: some device names hold spaces (nul .txt).
        made = running_under_wine() &&
               run_unix_program_until(directory, "Z:\\bin\\sh",
                                      "sh -c \"printf x > '" + name + ".part' && mv '" + name +
                                          ".part' '" + name + "'\"",
                                      name, true);
    }
    ~file_named_like_device()
    {
        if (made)
            run_unix_program_until(directory, "Z:\\bin\\rm", "rm -f \"" + name + "\"", name, false);
    }
    file_named_like_device(const file_named_like_device&) = delete;
    file_named_like_device& operator=(const file_named_like_device&) = delete;
    bool ok() const { return made; }

private:
    std::string directory, name;
    bool made = false;
};

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

// Holds the file at path open for reading, sharing reading and writing but
// not deletion, as a viewer or an upload tool may: Windows then refuses to
// replace the file, yet lets it be rewritten.
class replacement_refused {
public:
    explicit replacement_refused(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr))
    {
    }
    ~replacement_refused()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    replacement_refused(const replacement_refused&) = delete;
    replacement_refused& operator=(const replacement_refused&) = delete;
    bool in_force() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

#else

class directory_link {
public:
    directory_link(const std::string& directory, const std::string& name, const std::string& target)
        : made(symlink(target.c_str(), posix_path((directory + "/" + name).c_str()).c_str()) == 0)
    {
    }
    bool ok() const { return made; }

private:
    bool made;
};

class file_named_like_device {
public:
    file_named_like_device(const std::string& directory, const std::string& name)
    {
        std::ofstream file(posix_path((directory + "/" + name).c_str()), std::ios::binary);
        file << 'x';
        made = bool(file);
    }
    bool ok() const { return made; }

private:
    bool made;
};

class open_refused {
public:
    explicit open_refused(const std::string&) { fail_call(substitute_call::open_file, 1); }
    ~open_refused() { clear_call_failures(); }
    open_refused(const open_refused&) = delete;
    open_refused& operator=(const open_refused&) = delete;
    bool in_force() const { return true; }
};

// The substitute's MoveFileExA refuses while this lives, as Windows does
// while another program holds the target open without sharing its deletion.
class replacement_refused {
public:
    explicit replacement_refused(const std::string&) { fail_call(substitute_call::move_file, 1, UINT_MAX); }
    ~replacement_refused() { clear_call_failures(); }
    replacement_refused(const replacement_refused&) = delete;
    replacement_refused& operator=(const replacement_refused&) = delete;
    bool in_force() const { return true; }
};

#endif
