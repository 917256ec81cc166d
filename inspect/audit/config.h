#pragma once
#include "rules/support_rules.h"

#include <string>
#include <vector>

// One release of the add-on: the digest of every file it ships, by its
// path relative to the add-on's folder (backslashes).
struct Manifest {
    std::string release;  // the manifest file's name without ".md5"
    std::vector<std::pair<std::string, std::string>> files;  // path, digest
};

// What the maker knows about its add-on, kept out of the code.
struct Config {
    std::string addon_name = "Vok";
    std::string module;  // relative to the install path; empty: not checked
    std::vector<std::string> simconnect;   // accepted side-by-side versions
    std::vector<std::string> vc_runtimes;  // x86_microsoft.<name>_* folders
    std::vector<Manifest> manifests;
    SupportRules rules;  // [[rule]] tables
};

// Reads the [addon] table of a TOML file, the manifests it names
// (relative to the file's folder) and its [[rule]] tables. False, with the
// reason in error, when the file cannot be read or holds something else
// than expected.
bool load_config(const std::string& path, Config& config, std::string& error);

// Reads every *.md5 file of a folder, sorted by name. False with the reason
// in error when the folder or a manifest cannot be read.
bool load_manifests(const std::string& folder, std::vector<Manifest>& manifests,
                    std::string& error);
