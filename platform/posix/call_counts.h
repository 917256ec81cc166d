#pragma once
#include <map>
#include <string>

// How many times each operation of the substitute has been called, so that a
// benchmark can tell how many calls the scan makes per key and per file.

// Counts one call; operation is the caller's __func__, whose address stays
// the same from call to call.
void count_call(const char* operation);
// The counts since the last clear, by operation name.
std::map<std::string, unsigned long long> call_counts();
void clear_call_counts();
