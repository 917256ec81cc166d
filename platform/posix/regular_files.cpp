#include "regular_files.h"
#include "paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int open_regular_file(const char* windows_path)
{
    const int descriptor = open(posix_path(windows_path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    struct stat status;
    const bool known = fstat(descriptor, &status) == 0;
    if (known && S_ISREG(status.st_mode))
        return descriptor;
    close(descriptor);
    errno = known && S_ISDIR(status.st_mode) ? EISDIR : EACCES;
    return -1;
}
