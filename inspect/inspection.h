#pragma once
#include "config.h"
#include "finding.h"
#include "report_model.h"

#include <string>
#include <vector>

// One input and what was made of it.
struct Inspection {
    std::string source;  // the file as named on the command line
    std::string error;   // why it could not be inspected; empty when it was
    Report report;
    std::vector<Finding> findings;
};

// Larger inputs are refused rather than read: no report comes near this.
const std::size_t max_report_bytes = 256u << 20;

// Reads, deciphers (unless the file is already plain report text), parses,
// audits and runs every rule. Never throws for what the file holds.
Inspection inspect_file(const std::string& path, const Config& config);

// The same for bytes already read.
Inspection inspect_bytes(const std::string& source, const std::string& bytes,
                         const Config& config);

// Not inspected, or inspected and found damaged: the input was not wholly
// read as a report.
bool inspection_failed(const Inspection& inspection);
