#pragma once
#include "../platform/win32.h"

// Walks root\key_path ("" is the root itself) and everything below it.
// Not printing: writes nothing of its own, and writes whole, by a printing
// visit at level 0, every key whose name or one of whose values (by name or
// data) matches a keyword. Printing: writes the key's header at level tabs,
// then each subkey's subtree, then the key's values at level + 1 tabs. A key
// that cannot be opened or measured ends its visit; while printing it gets a
// failure line under its header. The walk always ends: an enumeration that
// reports ERROR_MORE_DATA is asked again with the buffer it found too small
// enlarged, a bounded number of times, and any other failure moves on to
// the next index.
void enumerate_registry(HKEY root, const char* key_path, DWORD level, bool printing);

// True when text, with only the letters A to Z folded to lower case,
// contains "fsx", "simconnect", "flightsimulator" or "flight simulator".
bool matches_keyword(const char* text);

// The printed name of a predefined root ("HKEY_LOCAL_MACHINE" and so on);
// "" for any other handle, HKEY_CLASSES_ROOT included.
const char* hive_name(HKEY root);

// Writes count tabs to the report.
void indent(DWORD count);
