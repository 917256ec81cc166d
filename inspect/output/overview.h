#pragma once
#include "audit/config.h"
#include "desk/inspection.h"

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// What the overview keeps of one report: its row and what the charts
// count, so that a batch of any size never holds its parsed reports.
struct OverviewRow {
    std::string source;  // the file as named on the command line (UTF-8)
    std::string page;   // its page's file name, beside index.html; empty: none written
    std::string error;  // why it could not be inspected; empty when it was
    bool damaged = false;
    std::string customer, windows, release, first_finding;
    std::size_t errors = 0, warnings = 0;
    std::vector<std::pair<std::string, Severity>> rules;  // each rule once
    std::vector<std::string> simconnect;                  // versions installed
};

OverviewRow overview_row(const Inspection& inspection, std::string page);

// index.html: totals, bar charts as inline SVG and a table of the reports,
// each row linking to its page. Self-contained: no script, no asset.
void write_overview(const std::vector<OverviewRow>& rows, std::ostream& out);

// index.html's first bytes, up to its title.
extern const char* const overview_head;

// The page of report number index (from 0): the number, then the first
// 100 bytes of the file's name with every byte but letters, digits, '.',
// '-' and '_' made '_'.
std::string page_name(std::size_t index, const std::string& source);

struct OverviewSettings {
    std::string folder;
    unsigned jobs = 1;
    bool redact = false;
};

// Inspects every report on settings.jobs threads, writes its page into the
// folder and what summarize makes of it to out, in the reports' order, then
// index.html. Returns false with the reason in error when the folder, a
// page or the index cannot be written; failed counts the reports not
// inspected or damaged.
bool write_overview_folder(const std::vector<std::string>& reports, const Config& config,
                           const OverviewSettings& settings,
                           const std::function<std::string(const Inspection&)>& summarize,
                           std::ostream& out, std::size_t& failed, std::string& error);
