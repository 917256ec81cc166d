#include "audit/config_location.h"

#include "report/file_names.h"

#include <filesystem>

ConfigChoice choose_config(const std::string& given, const std::string& program_folder,
                           const std::string& user_folder)
{
    ConfigChoice choice;
    if (!given.empty()) {
        choice.origin = ConfigOrigin::given;
        choice.file = given;
        return choice;
    }
    const std::pair<std::string, ConfigOrigin> folders[] = {
        {program_folder, ConfigOrigin::beside_program}, {user_folder, ConfigOrigin::per_user}};
    for (const auto& [folder, origin] : folders) {
        if (folder.empty())
            continue;
        const std::string file =
            utf8_from_path(path_from_utf8(folder) / std::filesystem::path(config_file_name));
        choice.looked_for.emplace_back(file, origin);
        std::error_code failure;
        // Anything by that name is taken, so that one that cannot be read
        // is an error rather than passed over.
        if (choice.origin == ConfigOrigin::none &&
            std::filesystem::exists(path_from_utf8(file), failure)) {
            choice.origin = origin;
            choice.file = file;
        }
    }
    return choice;
}
