#pragma once
#include <cstdint>

// What makes a directory the same one whatever path leads to it.
struct directory_identity {
    std::uint64_t volume;
    std::uint64_t index;
};

inline bool operator==(const directory_identity& a, const directory_identity& b)
{
    return a.volume == b.volume && a.index == b.index;
}

// Identifies the directory that path (a Windows path) leads to, through any
// link. False when it cannot be opened. An index of 0 means the file system
// gives none.
bool identify_directory(const char* path, directory_identity& identity);
