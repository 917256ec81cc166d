#pragma once
#include "audit/config_location.h"
#include "desk/inspection.h"

#include <ostream>
#include <string>

// Output formats: each only reads an inspection, and shows every text of
// the report through printable (text, TSV), to_utf8 (JSON) or html_escaped.

// A summary that fits one screen: customer, Windows, install path, release,
// findings by severity with their first evidence lines.
void write_text(const Inspection& inspection, std::ostream& out);

// Which configuration was read, or where none was found, one line each,
// control characters shown as \xNN.
std::vector<std::string> config_lines(const ConfigChoice& choice);

// The lines the text output begins with: config_lines under a label, then
// an empty line.
void write_config_lines(const ConfigChoice& choice, std::ostream& out);

// One JSON object on one line.
void write_json(const Inspection& inspection, std::ostream& out);

// One self-contained HTML page.
void write_html(const Inspection& inspection, std::ostream& out);

// The page's first bytes, up to its title, which names the source: how an
// earlier page of that report is told from another file.
std::string page_head(const std::string& source);

// One row per report: tab-separated, or a JSON object on one line.
void write_summary_header(std::ostream& out);
void write_summary_row(const Inspection& inspection, std::ostream& out);
void write_summary_json(const Inspection& inspection, std::ostream& out);

// "Windows 7 Service Pack 1 (6.1 build 7601)", in the report's bytes.
std::string windows_text(const WindowsVersion& windows);

// The rule of the first error, or "".
std::string first_error_rule(const Inspection& inspection);

// How many findings of a severity.
std::size_t count_findings(const Inspection& inspection, Severity severity);
