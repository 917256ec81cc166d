#pragma once
#include "audit/config.h"

#include <ostream>
#include <string>

// The commands of the support desk beside inspection. Each returns the
// inspector's exit code: 0 done, 1 an input could not be read or is
// damaged (diff still compares a damaged one), with the reason on err.

// What changed between two reports of one installation, as text or JSON.
int diff_command(const std::string& old_file, const std::string& new_file, const Config& config,
                 bool json, bool redact, std::ostream& out, std::ostream& err);

// The report's plain text with the customer's data replaced (redaction.h);
// a file that holds no report, not even a damaged one, is refused, as
// inspection finds it damaged.
int redact_command(const std::string& file, const Config& config, std::ostream& out,
                   std::ostream& err);
