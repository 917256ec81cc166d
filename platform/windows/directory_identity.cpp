#include "../directory_identity.h"

#include <windows.h>

bool identify_directory(const char* path, directory_identity& identity)
{
    // A directory opens only with backup semantics; reading its attributes
    // needs no other right.
    HANDLE directory = CreateFileA(path, FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    const BOOL known = GetFileInformationByHandle(directory, &information);
    CloseHandle(directory);
    if (!known)
        return false;
    identity.volume = information.dwVolumeSerialNumber;
    identity.index = std::uint64_t(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    return true;
}
