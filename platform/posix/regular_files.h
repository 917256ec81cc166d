#pragma once

// Opens the regular file at a Windows path for reading; -1 when it cannot
// be opened or is not a regular file, errno telling why (EISDIR for a
// directory). It never blocks: a FIFO or a device node would hang the scan.
int open_regular_file(const char* windows_path);
