#pragma once
#include "audit/config.h"
#include "desk/inspection.h"

#include <string>

// The fixtures' folder: reports, manifests and the add-on config.
std::string golden_path(const std::string& name);

// The fixtures' config, its manifests loaded.
const Config& fixture_config();

// A fixture report's text, byte for byte.
std::string fixture_report(const std::string& name);

// The inspection of report text as the tool makes it, named source.
Inspection inspect_text(const std::string& source, const std::string& text);

// The rule ids an inspection found, in order.
std::vector<std::string> rules_found(const Inspection& inspection);
