#pragma once

// Lists the Windows directory and every x86 Microsoft side-by-side
// assembly directory under its winsxs folder, file by file.
void list_side_by_side();
