#pragma once
#include <string>
#include <vector>

// Where the configuration comes from when --config does not say: the
// release puts one beside the program, and a user may keep their own.
const char* const config_file_name = "ravelo-inspect.toml";

enum class ConfigOrigin { given, beside_program, per_user, none };

struct ConfigChoice {
    ConfigOrigin origin = ConfigOrigin::none;
    std::string file;  // the one to read; empty when none was found
    std::vector<std::pair<std::string, ConfigOrigin>> looked_for;  // without --config
};

// The given file when there is one (read whether it exists or not, so that
// a wrong --config is an error); else the first config_file_name that is
// there (a file, or anything else, which then cannot be read) in
// program_folder, then in user_folder. An empty folder is unknown
// and skipped.
ConfigChoice choose_config(const std::string& given, const std::string& program_folder,
                           const std::string& user_folder);

// The folder the running program's file lies in (links followed), and the
// user's own folder of Ravelo settings; "" when unknown. Each platform
// defines them.
std::string program_folder();
std::string user_config_folder();
