#include "../desktop.h"

#include <iostream>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

// Linux has no Explorer starting a program in a console of its own.
bool started_from_explorer()
{
    return false;
}

void show_message(const std::string& title, MessageKind, const std::string& text)
{
    std::cerr << title << ": " << text << '\n';
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
