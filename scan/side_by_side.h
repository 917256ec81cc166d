#pragma once

// Lists the Windows directory and every x86 Microsoft side-by-side
// assembly directory under its winsxs folder, file by file.
void list_side_by_side();

// The same body for the given Windows directory. An empty one gives
// "Can't open winsxs directory... " without searching.
void list_side_by_side_of(const char* windows_directory);
