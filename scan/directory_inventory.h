#pragma once
#include <string>

// What a listing has learnt of the searches this Windows offers. Windows XP
// and Vista refuse the basic information level and the large fetch for every
// folder; once refused, a listing asks only for the standard level. Each
// listing starts with a state of its own, so that a listing never inherits
// what another learnt.
struct search_levels {
    bool basic_refused = false;
};

// Lists the tree under path depth-first, every file with its MD5 digest,
// each line indented by depth tabs. Writes nothing for a directory that
// cannot be searched, and "Path too long..." for one whose search pattern
// does not fit MAX_PATH. A directory already being listed higher up the same
// branch (a link back into the tree) gets its line but is not entered again.
// A file that cannot be read whole, or is named like a DOS device, shows
// "Can't read file..." instead of a digest. The files of a folder are read
// several at a time, as many as the processor has MD5 lanes, and their lines
// written in the order the search delivers them.
void list_directory(const std::string& path, unsigned depth);

// Lists the files directly in path, under a heading naming the directory,
// or writes "Can't open" with the path when it cannot be searched. searches
// is shared by the listings of one section.
void list_directory_flat(const std::string& path, search_levels& searches);
