#include "../directory_identity.h"
#include "call_counts.h"
#include "fault_injection.h"
#include "paths.h"

#include <sys/stat.h>

bool identify_directory(const char* path, directory_identity& identity)
{
    count_call(__func__);
    struct stat status;
    if (stat(posix_path(path).c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    identity.volume = status.st_dev;
    identity.index = every_folder_has_index_zero() ? 0 : status.st_ino;
    return true;
}
