#pragma once
#include "../platform/win32.h"

// Walks root\key_path. While not printing, writes nothing and prints, whole,
// every key whose name or one of whose values matches a keyword; while
// printing, writes the key, its subtree and its values at level tabs.
void enumerate_registry(HKEY root, const char* key_path, DWORD level, bool printing);
