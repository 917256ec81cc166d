#pragma once
#include "audit/config.h"
#include "report/model.h"
#include "rules/finding.h"
#include "tools/report_shape.h"

#include <string>
#include <vector>

// One input and what was made of it.
struct Inspection {
    std::string source;  // the file as named on the command line
    std::string error;   // why it could not be inspected; empty when it was
    Report report;
    std::vector<Finding> findings;
};

// Reads, deciphers (unless the file is already plain report text), parses,
// audits and runs every rule. Never throws for what the file holds. With
// redact, the customer's data is replaced first (see redaction.h), in the
// source's name too.
Inspection inspect_file(const std::string& path, const Config& config, bool redact = false);

// The same for bytes already read.
Inspection inspect_bytes(const std::string& source, const std::string& bytes,
                         const Config& config, bool redact = false);

// diff's pair of reports, each with the customer's data of both replaced
// (what one report holds of the customer may stand in the other alone).
void inspect_redacted_pair(const std::string& old_file, const std::string& new_file,
                           const Config& config, Inspection& old_one, Inspection& new_one);

// A report file's plain text, deciphered unless it is plain already. False
// with the reason in error when it cannot be read or is no report.
bool read_report_text(const std::string& path, std::string& text, std::string& error);

// Not inspected, or inspected and found damaged: the input was not wholly
// read as a report.
bool inspection_failed(const Inspection& inspection);
