#pragma once
#include "win32_types.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

typedef enum _FINDEX_INFO_LEVELS {
    FindExInfoStandard,
    FindExInfoBasic,
    FindExInfoMaxInfoLevel
} FINDEX_INFO_LEVELS;

typedef enum _FINDEX_SEARCH_OPS {
    FindExSearchNameMatch,
    FindExSearchLimitToDirectories,
    FindExSearchLimitToDevices,
    FindExSearchMaxSearchOp
} FINDEX_SEARCH_OPS;

#define FIND_FIRST_EX_CASE_SENSITIVE 0x00000001
#define FIND_FIRST_EX_LARGE_FETCH 0x00000002

// Searches the directory part of pattern (a Windows path, backslashes as
// separators) for names matching its last part: '*' and '?' as wildcards,
// letters without regard to case, "*.*" for every name. "." and ".." come
// first when they match, then the names in the order of their upper-cased
// bytes, as NTFS and Wine deliver them. Only dwFileAttributes (the directory
// bit for a directory or a link to one, the reparse-point bit for a link) and
// cFileName are filled; the rest of the record is zeroed, whatever the
// information level. FIND_FIRST_EX_LARGE_FETCH is accepted and changes
// nothing. Returns INVALID_HANDLE_VALUE when the directory cannot be
// searched (last error ERROR_PATH_NOT_FOUND), nothing matches
// (ERROR_FILE_NOT_FOUND), or the pattern has MAX_PATH characters or more
// (ERROR_FILENAME_EXCED_RANGE, as the narrow Win32 calls refuse it). Calls
// at FindExInfoBasic are also counted as "FindFirstFileExA at the basic
// level" (call_counts.h).
HANDLE FindFirstFileExA(LPCSTR pattern, FINDEX_INFO_LEVELS level, LPVOID find_data,
                        FINDEX_SEARCH_OPS operation, LPVOID filter, DWORD flags);
// Delivers the next entry; FALSE at the end of the enumeration
// (ERROR_NO_MORE_FILES).
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA find_data);
BOOL FindClose(HANDLE search);

// A test hook, not part of Win32. On: FindFirstFileExA answers as Windows
// XP and Vista do, refusing FindExInfoBasic and any flag but
// FIND_FIRST_EX_CASE_SENSITIVE with ERROR_INVALID_PARAMETER.
void search_as_before_windows_7(bool on);
