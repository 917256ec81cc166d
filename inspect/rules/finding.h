#pragma once
#include <cstddef>
#include <string>
#include <vector>

enum class Severity { error, warning, info };

// A line of the report that supports a finding (line 0: not one line).
struct Evidence {
    std::size_t line;
    std::string text;
};

struct Finding {
    std::string rule;  // the stable id of the rule that found it
    Severity severity;
    std::string message;
    std::vector<Evidence> evidence;
};

// A finding keeps at most this many evidence lines, the last one saying
// how many more there were.
const std::size_t max_evidence = 50;

const char* severity_name(Severity severity);

// Appends evidence unless the finding already holds max_evidence lines.
void add_evidence(Finding& finding, std::size_t line, std::string text);

// Replaces the evidence past max_evidence with one line that counts it.
void close_evidence(Finding& finding, std::size_t total);
