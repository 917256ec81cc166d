#include "audit/config.h"

#include "audit/manifest.h"
#include "audit/rule_file.h"
#include "audit/toml_guard.h"
#include "output/display_text.h"
#include "report/file_names.h"
#include "report/text_encoding.h"

#include <toml++/toml.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool read_string_list(const toml::table& addon, const char* key, std::vector<std::string>& list,
                      std::string& error)
{
    const toml::node* node = addon.get(key);
    if (!node)
        return true;
    const toml::array* array = node->as_array();
    if (!array) {
        error = std::string("[addon] ") + key + " must be a list of texts";
        return false;
    }
    for (const toml::node& item : *array) {
        const auto text = item.value<std::string>();
        if (!text) {
            error = std::string("[addon] ") + key + " must be a list of texts";
            return false;
        }
        list.push_back(*text);
    }
    return true;
}

bool read_text(const toml::table& addon, const char* key, std::string& text, std::string& error)
{
    const toml::node* node = addon.get(key);
    if (!node)
        return true;
    const auto value = node->value<std::string>();
    if (!value) {
        error = std::string("[addon] ") + key + " must be a text";
        return false;
    }
    text = *value;
    return true;
}

// A key nothing reads, most often a misspelt one ("[[rules]]", "modul"),
// would leave its check or rules out without a word: refused, with its line.
bool only_known_keys(const toml::table& table, std::initializer_list<std::string_view> known,
                     const std::string& where, const std::string& path, std::string& error)
{
    for (const auto& [key, value] : table) {
        if (std::find(known.begin(), known.end(), key.str()) != known.end())
            continue;
        std::string names;
        for (const std::string_view name : known)
            names += (names.empty() ? "" : ", ") + std::string(name);
        error = path + ":" + std::to_string(value.source().begin.line) + ": unknown key \"" +
                printable_utf8(key.str()) + "\"" + where + " (it holds " + names + ")";
        return false;
    }
    return true;
}

} // namespace

bool load_config(const std::string& path, Config& config, std::string& error)
{
    std::ifstream file(path_from_utf8(path), std::ios::binary);
    std::error_code kind;
    // A folder opens on Linux, and reads as an empty file.
    if (!file || std::filesystem::is_directory(path_from_utf8(path), kind)) {
        error = path + ": cannot read the file";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::string fault;
    if (const std::size_t line = toml_fault(text.str(), fault)) {
        error = path + ":" + std::to_string(line) + ": " + fault;
        return false;
    }
    toml::table document;
    try {
        document = toml::parse(text.str(), path);
    } catch (const toml::parse_error& failure) {
        error = path + ":" + std::to_string(failure.source().begin.line) + ": " +
                std::string(failure.description());
        return false;
    }
    const toml::table* addon = document["addon"].as_table();
    if (!addon) {
        error = path + ": no [addon] table";
        return false;
    }
    if (!only_known_keys(document, {"addon", "rule"}, " at the top of the file", path, error) ||
        !only_known_keys(*addon, {"name", "module", "simconnect", "vc_runtimes", "manifests"},
                         " in [addon]", path, error))
        return false;
    std::string manifests;
    if (!read_text(*addon, "name", config.addon_name, error) ||
        !read_text(*addon, "module", config.module, error) ||
        !read_string_list(*addon, "simconnect", config.simconnect, error) ||
        !read_string_list(*addon, "vc_runtimes", config.vc_runtimes, error) ||
        !read_text(*addon, "manifests", manifests, error)) {
        error = path + ": " + error;
        return false;
    }
    if (!read_support_rules(document, path, config.rules, error))
        return false;
    config.addon_name = ansi_from_maker_text(config.addon_name);
    config.module = ansi_from_maker_text(config.module);
    if (manifests.empty())
        return true;
    const fs::path folder = path_from_utf8(path).parent_path() / path_from_utf8(manifests);
    return load_manifests(utf8_from_path(folder), config.manifests, error);
}

bool load_manifests(const std::string& folder, std::vector<Manifest>& manifests,
                    std::string& error)
{
    std::error_code failure;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(path_from_utf8(folder), failure), end; !failure && it != end;
         it.increment(failure))
        if (it->path().extension() == ".md5")
            files.push_back(it->path());
    if (failure) {
        error = "cannot read the manifest folder " + folder + ": " + failure.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        Manifest manifest;
        manifest.release = ansi_from_maker_text(utf8_from_path(file.stem()));
        if (!read_manifest(utf8_from_path(file), manifest, error))
            return false;
        manifests.push_back(std::move(manifest));
    }
    return true;
}
