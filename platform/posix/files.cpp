#include "files.h"
#include "call_counts.h"
#include "fault_injection.h"
#include "last_error.h"
#include "paths.h"
#include "regular_files.h"

#include <cerrno>
#include <fcntl.h>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// What a file handle of the substitute points to.
struct open_file {
    int descriptor;
    bool unflushed = false;
};

bool parent_is_directory(const std::string& path)
{
    const std::size_t separator = path.find_last_of('/');
    const std::string parent = separator == std::string::npos ? "." : path.substr(0, separator + 1);
    struct stat status;
    return stat(parent.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// As Windows tells a missing file from a missing folder on its way.
DWORD windows_error(int error, const char* path)
{
    switch (error) {
    case ENOENT:
        return parent_is_directory(posix_path(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

HANDLE failed_open(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL failed_call(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

bool is_read_only(const struct stat& status)
{
    return S_ISREG(status.st_mode) && !(status.st_mode & S_IWUSR);
}

bool is_read_only_file(const std::string& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && is_read_only(status);
}

BOOL failed_read(LPDWORD read, DWORD error)
{
    *read = 0;
    SetLastError(error);
    return FALSE;
}

} // namespace

BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags)
{
    if (call_fails(substitute_call::move_file))
        return failed_call(injected_error(substitute_call::move_file, ERROR_ACCESS_DENIED));
    const std::string from = posix_path(existing);
    const std::string to = posix_path(target);
    struct stat target_status;
    if (lstat(to.c_str(), &target_status) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return failed_call(ERROR_ALREADY_EXISTS);
        if (S_ISDIR(target_status.st_mode) || is_read_only(target_status))
            return failed_call(ERROR_ACCESS_DENIED);
    }
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return failed_call(windows_error(errno, target));
    return TRUE;
}

BOOL DeleteFileA(LPCSTR path)
{
    count_call(__func__);
    if (call_fails(substitute_call::delete_file))
        return failed_call(injected_error(substitute_call::delete_file, ERROR_SHARING_VIOLATION));
    struct stat status;
    if (lstat(posix_path(path).c_str(), &status) == 0 && is_read_only(status))
        return failed_call(ERROR_ACCESS_DENIED);
    if (unlink(posix_path(path).c_str()) != 0)
        return failed_call(windows_error(errno, path));
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path)
{
    struct stat status;
    if (stat(posix_path(path).c_str(), &status) != 0) {
        SetLastError(windows_error(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(status.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    return is_read_only(status) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD, HANDLE)
{
    count_call(__func__);
    const bool reading = access == GENERIC_READ && disposition == OPEN_EXISTING;
    const bool writing = access == GENERIC_WRITE && disposition == CREATE_ALWAYS;
    if (!reading && !writing)
        return failed_open(ERROR_INVALID_PARAMETER);
    if (call_fails(substitute_call::open_file))
        return failed_open(ERROR_SHARING_VIOLATION);
    if (std::strlen(path) >= MAX_PATH)
        return failed_open(ERROR_FILENAME_EXCED_RANGE);
    if (writing && is_read_only_file(posix_path(path)))
        return failed_open(ERROR_ACCESS_DENIED);
    const int descriptor = reading ? open_regular_file(path)
                                   : ::open(posix_path(path).c_str(),
                                            O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return failed_open(windows_error(errno, path));
    return new open_file{descriptor};
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    count_call(__func__);
    if (file == INVALID_HANDLE_VALUE || !file || overlapped)
        return failed_read(read, ERROR_INVALID_PARAMETER);
    if (call_fails(substitute_call::read_file))
        return failed_read(read, ERROR_LOCK_VIOLATION);
    ssize_t got;
    do
        got = ::read(static_cast<open_file*>(file)->descriptor, buffer, size);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return failed_read(read, ERROR_ACCESS_DENIED);
    *read = static_cast<DWORD>(got);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    count_call(__func__);
    *written = 0;
    if (file == INVALID_HANDLE_VALUE || !file || overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (call_fails(substitute_call::write_file))
        return failed_call(injected_error(substitute_call::write_file, ERROR_DISK_FULL));
    ssize_t put;
    do
        put = ::write(static_cast<open_file*>(file)->descriptor, buffer, size);
    while (put < 0 && errno == EINTR);
    if (put < 0) {
        SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    *written = static_cast<DWORD>(put);
    static_cast<open_file*>(file)->unflushed = true;
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file)
{
    count_call(__func__);
    if (file == INVALID_HANDLE_VALUE || !file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (call_fails(substitute_call::flush_file))
        return failed_call(injected_error(substitute_call::flush_file, ERROR_ACCESS_DENIED));
    if (fsync(static_cast<open_file*>(file)->descriptor) != 0)
        return failed_call(ERROR_ACCESS_DENIED);
    static_cast<open_file*>(file)->unflushed = false;
    return TRUE;
}

BOOL CloseHandle(HANDLE file)
{
    count_call(__func__);
    if (file == INVALID_HANDLE_VALUE || !file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto* opened = static_cast<open_file*>(file);
    if (opened->unflushed)
        count_call("CloseHandle unflushed");
    close(opened->descriptor);
    delete opened;
    return TRUE;
}

void Sleep(DWORD milliseconds)
{
    count_call(__func__);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
