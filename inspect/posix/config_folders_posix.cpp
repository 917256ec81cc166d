#include "audit/config_location.h"

#include <cstdlib>
#include <filesystem>

std::string program_folder()
{
    std::error_code failure;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
    return failure ? std::string() : program.parent_path().string();
}

// The XDG base directory rules: $XDG_CONFIG_HOME when it is an absolute
// path, else ~/.config.
std::string user_config_folder()
{
    const char* config_home = std::getenv("XDG_CONFIG_HOME");
    if (config_home && config_home[0] == '/')
        return std::string(config_home) + "/ravelo";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config/ravelo";
    return std::string();
}
