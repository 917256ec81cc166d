#include "output/overview.h"

#include "output/display_text.h"
#include "output/outputs.h"
#include "rules/helpers.h"

#include <algorithm>
#include <map>

namespace {

using std::string;

const char page_style[] =
    "body{font:14px sans-serif;margin:1.5em;color:#222}h1{font-size:1.4em}"
    "h2{font-size:1.15em;margin-top:1.4em}table{border-collapse:collapse}"
    "td,th{padding:2px 8px;text-align:left;vertical-align:top;border-bottom:1px solid #ddd}"
    ".totals b{font-size:1.2em}svg text{font:12px sans-serif;fill:#222}"
    ".bar{fill:#4a6fa5}.bar.error{fill:#b00020}.bar.warning{fill:#c08a00}.bar.info{fill:#4a7a7a}"
    "td.error{color:#b00020}a{color:#1a4f8a}"
    "@media print{a{color:#222;text-decoration:none}}";

// Bars are drawn to scale: the longest is bar_length pixels.
const unsigned bar_length = 400;
const unsigned label_width = 300;
const unsigned bar_pitch = 22;
const std::size_t label_shown = 42;
const std::size_t bars_shown = 25;
// A page's name stays far below the 255 bytes a file name may have, with
// room for the number: the number alone keeps it unique.
const std::size_t page_base_kept = 100;

struct Bar {
    string label;  // report bytes
    std::size_t count;
    string css;
};

int severity_rank(const string& css)
{
    return css == "error" ? 0 : css == "warning" ? 1 : 2;
}

// The most frequent first, errors before warnings at equal counts; past
// bars_shown, the rest become one bar.
std::vector<Bar> ranked(const std::map<string, Bar>& counted)
{
    std::vector<Bar> bars;
    for (const auto& entry : counted)
        bars.push_back(entry.second);
    std::stable_sort(bars.begin(), bars.end(), [](const Bar& a, const Bar& b) {
        if (a.count != b.count)
            return a.count > b.count;
        return severity_rank(a.css) < severity_rank(b.css);
    });
    if (bars.size() > bars_shown) {
        std::size_t rest = 0;
        for (std::size_t i = bars_shown - 1; i < bars.size(); ++i)
            rest += bars[i].count;
        const std::size_t kinds = bars.size() - (bars_shown - 1);
        bars.resize(bars_shown - 1);
        bars.push_back({"(" + std::to_string(kinds) + " others)", rest, ""});
    }
    return bars;
}

string shortened(const string& label)
{
    return label.size() <= label_shown ? label : label.substr(0, label_shown - 3) + "...";
}

void write_chart(const char* title, const std::map<string, Bar>& counted, std::ostream& out)
{
    const std::vector<Bar> bars = ranked(counted);
    out << "<h2>" << title << "</h2>\n";
    if (bars.empty()) {
        out << "<p>None.</p>\n";
        return;
    }
    std::size_t most = 0;
    for (const Bar& bar : bars)
        most = std::max(most, bar.count);
    out << "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\""
        << label_width + bar_length + 60 << "\" height=\"" << bars.size() * bar_pitch + 4
        << "\">\n";
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        const unsigned length = unsigned((bar_length * bar.count + most / 2) / most);
        const std::size_t y = i * bar_pitch;
        out << "<g><title>" << html_escaped(bar.label) << ": " << bar.count << "</title><text x=\""
            << label_width - 8 << "\" y=\"" << y + 15 << "\" text-anchor=\"end\">"
            << html_escaped(shortened(bar.label)) << "</text><rect class=\"bar " << bar.css
            << "\" x=\"" << label_width << "\" y=\"" << y + 3 << "\" width=\"" << length
            << "\" height=\"16\" data-count=\"" << bar.count << "\"/><text x=\""
            << label_width + length + 6 << "\" y=\"" << y + 15 << "\">" << bar.count
            << "</text></g>\n";
    }
    out << "</svg>\n";
}

// A rule whose severity differs between reports is drawn in its gravest.
void count(std::map<string, Bar>& counted, const string& label, const string& css = "")
{
    Bar& bar = counted.emplace(label, Bar{label, 0, css}).first->second;
    ++bar.count;
    if (severity_rank(css) < severity_rank(bar.css))
        bar.css = css;
}

string windows_label(const WindowsVersion& windows)
{
    if (!windows.present)
        return "unknown";
    string name = windows_name(windows);
    if (name.empty())
        name = std::to_string(windows.major) + "." + std::to_string(windows.minor);
    return windows.service_pack.empty() ? name : name + " " + windows.service_pack;
}

void write_totals(const std::vector<OverviewRow>& rows, std::ostream& out)
{
    std::size_t damaged = 0, unreadable = 0;
    for (const OverviewRow& row : rows) {
        unreadable += !row.error.empty();
        damaged += row.error.empty() && row.damaged;
    }
    out << "<p class=\"totals\"><b>" << rows.size() << "</b> reports: <b>"
        << rows.size() - damaged - unreadable << "</b> inspected cleanly, <b>" << damaged
        << "</b> damaged, <b>" << unreadable << "</b> unreadable</p>\n";
}

void write_charts(const std::vector<OverviewRow>& rows, std::ostream& out)
{
    std::map<string, Bar> rules, windows, releases, simconnect;
    for (const OverviewRow& row : rows) {
        if (!row.error.empty())
            continue;
        for (const auto& [rule, severity] : row.rules)
            count(rules, rule, severity_name(severity));
        count(windows, row.windows);
        count(releases, row.release.empty() ? "(none)" : row.release);
        for (const string& version : row.simconnect)
            count(simconnect, version);
        if (row.simconnect.empty())
            count(simconnect, "(none)");
    }
    write_chart("Reports showing each finding", rules, out);
    write_chart("Reports by Windows version", windows, out);
    write_chart("Reports by matched release", releases, out);
    write_chart("Reports by SimConnect versions installed", simconnect, out);
}

void write_cell(std::ostream& out, const string& text, const char* css = nullptr)
{
    out << "<td" << (css ? string(" class=\"") + css + "\"" : "") << ">" << html_escaped(text)
        << "</td>";
}

void write_table(const std::vector<OverviewRow>& rows, std::ostream& out)
{
    out << "<h2>Reports</h2>\n<table class=\"reports\"><tr><th>file</th><th>customer</th>"
           "<th>Windows</th><th>release</th><th>errors</th><th>warnings</th>"
           "<th>first finding</th></tr>\n";
    for (const OverviewRow& row : rows) {
        if (row.page.empty())
            out << "<tr><td>" << html_escaped_utf8(row.source) << "</td>";
        else
            out << "<tr><td><a href=\"" << html_escaped(row.page) << "\">"
                << html_escaped_utf8(row.source) << "</a></td>";
        if (!row.error.empty()) {
            out << "<td colspan=\"5\"></td>";
            write_cell(out, "cannot inspect: " + row.error, "error");
        } else {
            write_cell(out, row.customer);
            write_cell(out, row.windows);
            write_cell(out, row.release);
            write_cell(out, std::to_string(row.errors));
            write_cell(out, std::to_string(row.warnings));
            write_cell(out, row.first_finding);
        }
        out << "</tr>\n";
    }
    out << "</table>\n";
}

bool is_name_byte(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           c == '.' || c == '-' || c == '_';
}

} // namespace

OverviewRow overview_row(const Inspection& inspection, std::string page)
{
    OverviewRow row;
    row.source = inspection.source;
    row.page = std::move(page);
    row.error = inspection.error;
    row.damaged = inspection_failed(inspection);
    if (!row.error.empty())
        return row;
    const Report& report = inspection.report;
    row.customer = report.customer.name;
    row.windows = windows_label(report.windows);
    row.release = report.files.release.value_or("");
    row.errors = count_findings(inspection, Severity::error);
    row.warnings = count_findings(inspection, Severity::warning);
    if (!inspection.findings.empty())
        row.first_finding = inspection.findings.front().rule;
    for (const Finding& finding : inspection.findings)
        if (std::none_of(row.rules.begin(), row.rules.end(),
                         [&](const auto& kept) { return kept.first == finding.rule; }))
            row.rules.emplace_back(finding.rule, finding.severity);
    for (const AssemblyFolder& folder : report.side_by_side.folders) {
        const string version = simconnect_version(folder);
        if (!version.empty() && folder.readable && !folder.files.empty() &&
            std::find(row.simconnect.begin(), row.simconnect.end(), version) ==
                row.simconnect.end())
            row.simconnect.push_back(version);
    }
    return row;
}

const char* const overview_head =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
    "style-src 'unsafe-inline'\">"
    "<title>Ravelo reports overview</title>";

void write_overview(const std::vector<OverviewRow>& rows, std::ostream& out)
{
    out << overview_head << "<style>" << page_style
        << "</style></head><body>\n<h1>Ravelo reports overview</h1>\n";
    write_totals(rows, out);
    write_charts(rows, out);
    write_table(rows, out);
    out << "</body></html>\n";
}

std::string page_name(std::size_t index, const std::string& source)
{
    string base = source.substr(source.find_last_of("/\\") + 1, page_base_kept);
    for (char& c : base)
        if (!is_name_byte(c))
            c = '_';
    string number = std::to_string(index + 1);
    if (number.size() < 5)
        number.insert(0, 5 - number.size(), '0');
    return number + "-" + base + ".html";
}
