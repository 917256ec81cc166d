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
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : EACCES;
        close(descriptor);
        errno = error;
        return -1;
    }
    return descriptor;
}
