#pragma once
#include <string>

// Lists the tree under path depth-first, every file with its MD5 digest,
// each line indented by depth tabs. Writes nothing for a directory that
// cannot be searched.
void list_directory(const std::string& path, unsigned depth);

// Lists the files directly in path, under a heading naming the directory.
void list_directory_flat(const std::string& path);
