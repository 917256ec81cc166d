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
        return FALSE;
    const std::string from = posix_path(existing);
    const std::string to = posix_path(target);
    struct stat target_status;
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(to.c_str(), &target_status) == 0)
        return FALSE;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

BOOL DeleteFileA(LPCSTR path)
{
    count_call(__func__);
    if (call_fails(substitute_call::delete_file)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (unlink(posix_path(path).c_str()) != 0) {
        SetLastError(windows_error(errno, path));
        return FALSE;
    }
    return TRUE;
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
    if (call_fails(substitute_call::write_file)) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
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
    if (call_fails(substitute_call::flush_file) || fsync(static_cast<open_file*>(file)->descriptor) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
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
