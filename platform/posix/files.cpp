#include "files.h"
#include "fault_injection.h"
#include "paths.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

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
    return unlink(posix_path(path).c_str()) == 0;
}
