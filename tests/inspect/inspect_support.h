#pragma once
#include "audit/config.h"
#include "desk/inspection.h"

#include <string>
#include <vector>

// The fixtures' folder: reports, manifests and the add-on config.
std::string golden_path(const std::string& name);

// The fixtures' config, its manifests loaded.
const Config& fixture_config();

// A fixture report's text, byte for byte.
std::string fixture_report(const std::string& name);

// The inspection of report text as the tool makes it, named source.
Inspection inspect_text(const std::string& source, const std::string& text);

// A config made of text, read from a file of its own as --config reads it.
bool load_config_text(const std::string& text, Config& config, std::string& error);

// The fixtures' config, its manifests named by their absolute path, so that
// text may follow it in a file elsewhere.
std::string fixture_config_text();

// The rule ids an inspection found, in order.
std::vector<std::string> rules_found(const Inspection& inspection);

// One change to a report's text: the first occurrence of from becomes to.
struct Edit {
    std::string from, to;
};

// The text with each edit made in turn; an edit whose from is not there
// fails the test.
std::string edited(std::string text, const std::vector<Edit>& edits);
