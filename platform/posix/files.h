#pragma once
#include "file_search.h"
#include "win32_types.h"

#define MOVEFILE_REPLACE_EXISTING 0x1

#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

// A file without write permission for its owner counts as read-only, as
// Wine maps FILE_ATTRIBUTE_READONLY; the calls below treat it as Windows
// does, for root too.

// Renames existing to target; with MOVEFILE_REPLACE_EXISTING an existing
// target is replaced in one step. Nonzero on success; otherwise the last
// error tells why: ERROR_ACCESS_DENIED for a read-only target or a folder in
// its place, as on Windows. Tests can make it refuse (fault_injection.h), as
// Windows does while another program holds the target open without sharing
// its deletion.
BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags);
// Nonzero when the file was removed; otherwise the last error tells why
// (ERROR_FILE_NOT_FOUND when there was none, ERROR_ACCESS_DENIED for a
// read-only file or a folder). Tests can make it refuse, as Windows does
// while a scanner holds the file.
BOOL DeleteFileA(LPCSTR path);
// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_READONLY, or FILE_ATTRIBUTE_NORMAL
// when neither; INVALID_FILE_ATTRIBUTES with the last error set when path
// does not exist.
DWORD GetFileAttributesA(LPCSTR path);

// Opens an existing regular file for reading (GENERIC_READ, OPEN_EXISTING),
// or creates or empties one for writing (GENERIC_WRITE, CREATE_ALWAYS), the
// two uses Ravelo makes of it; any share mode and flags (nothing here locks a
// file). INVALID_HANDLE_VALUE when it cannot be opened, with the last error:
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED (a
// directory, as on Windows without backup semantics, anything but a regular
// file, or a read-only file to be written), ERROR_INVALID_PARAMETER for any
// other access or disposition.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share_mode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE template_file);
// Reads up to size bytes from the file's position, synchronously (overlapped
// must be null). TRUE with *read 0 at the end of the file; FALSE, *read 0
// and the last error set on a read error.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped);
// Writes up to size bytes at the file's position, synchronously; *written
// tells how many. FALSE with the last error set when the write fails.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
// Writes the file's data through to the disk (fsync). FALSE with the last
// error set when that fails, or when tests make it fail (with the error they
// choose: ERROR_INVALID_FUNCTION, say, as a redirector that offers no flush).
BOOL FlushFileBuffers(HANDLE file);
// Closes a handle from CreateFileA. A close of a file written since its last
// flush is counted as "CloseHandle unflushed" (call_counts.h), so tests can
// tell that data was flushed before its file was closed.
BOOL CloseHandle(HANDLE file);

// Waits that many milliseconds.
void Sleep(DWORD milliseconds);
