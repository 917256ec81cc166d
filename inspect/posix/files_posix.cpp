#include "report/file_names.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

std::FILE* open_file(const std::string& name, const char* mode)
{
    return std::fopen(name.c_str(), mode);
}

bool open_with_default_program(const std::string& name, std::string& error)
{
    char* const arguments[] = {const_cast<char*>("xdg-open"), const_cast<char*>(name.c_str()),
                               nullptr};
    pid_t child;
    int status = 0;
    if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, arguments, environ) != 0 ||
        waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "xdg-open could not open " + name;
        return false;
    }
    return true;
}
