#include "desk/dropped.h"

#include "output/display_text.h"
#include "output/outputs.h"
#include "output/overview.h"
#include "report/file_names.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool is_report_name(const fs::path& name)
{
    std::string extension = name.extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".dat";
}

// The *.dat files directly in folder, sorted by name.
void add_folder_reports(const std::string& folder, std::vector<std::string>& reports,
                        DroppedOutcome& outcome)
{
    std::vector<std::string> found;
    std::error_code failure;
    for (fs::directory_iterator it(path_from_utf8(folder), failure), end; !failure && it != end;
         it.increment(failure)) {
        std::error_code kind;
        if (is_report_name(it->path()) && it->is_regular_file(kind))
            found.push_back(utf8_from_path(it->path()));
    }
    if (failure)
        outcome.problems.push_back("Cannot list the folder " + folder + ": " + failure.message() +
                                   ".");
    else if (found.empty())
        outcome.problems.push_back("The folder " + folder + " holds no report (no .dat file).");
    std::sort(found.begin(), found.end());
    reports.insert(reports.end(), found.begin(), found.end());
}

std::string damage_problem(const Inspection& inspection)
{
    std::string problem = short_name(inspection.source) + ": ";
    if (!inspection.error.empty())
        return problem + "cannot be inspected: " + inspection.error + ".";
    for (const Finding& finding : inspection.findings)
        if (finding.rule == "report-damaged" && !finding.evidence.empty())
            problem += "line " + std::to_string(finding.evidence.front().line) + ": " +
                       printable(finding.evidence.front().text) + ". ";
    return problem + "The report is damaged or is no Ravelo report; ask the customer to send "
                     "it again, unchanged.";
}

// Nothing in it was read as a report (no section banner, or larger than any
// report): a page would show nothing but that.
bool no_report_read(const Inspection& inspection)
{
    const std::vector<Damage>& damage = inspection.report.damage;
    return !damage.empty() && damage.front().what.rfind("no Ravelo report", 0) == 0;
}

void write_one_page(const std::string& report, const Config& config, DroppedOutcome& outcome)
{
    const Inspection inspection = inspect_file(report, config);
    if (!inspection.error.empty() || no_report_read(inspection)) {
        outcome.problems.push_back(damage_problem(inspection));
        return;
    }
    if (inspection_failed(inspection))
        outcome.problems.push_back(damage_problem(inspection) +
                                   " Its page shows what could be read.");
    std::ostringstream page;
    write_html(inspection, page);
    const std::string head = page_head(report);
    const std::string page_file =
        usable_name(file_beside(report, ".html"), ".html",
                    [&](const std::string& file) { return file_head(file, head.size()) == head; });
    std::string problem;
    if (page_file.empty())
        outcome.problems.push_back("Cannot write the page of " + short_name(report) +
                                   ": every name for it beside the report is another file's.");
    else if (write_beside(page_file, page.str(), problem))
        outcome.opened.push_back(page_file);
    else
        outcome.problems.push_back(problem);
}

// An overview written earlier, or an empty folder.
bool reusable_overview(const std::string& folder)
{
    const fs::path path = path_from_utf8(folder);
    std::error_code failure;
    if (!fs::is_directory(path, failure))
        return false;
    const std::string head = overview_head;
    return fs::is_empty(path, failure) ||
           file_head(utf8_from_path(path / "index.html"), head.size()) == head;
}

bool overview_names_too_long(const std::string& folder, const std::vector<std::string>& reports)
{
    const fs::path path = path_from_utf8(folder);
    bool too_long = name_too_long(folder) || name_too_long(utf8_from_path(path / "index.html"));
    for (std::size_t i = 0; i < reports.size() && !too_long; ++i)
        too_long = name_too_long(utf8_from_path(path / page_name(i, reports[i])));
    return too_long;
}

void write_overview_beside(const std::vector<std::string>& reports, const std::string& folder,
                           const Config& config, unsigned jobs, DroppedOutcome& outcome)
{
    if (folder.empty()) {
        outcome.problems.push_back("Cannot write the overview: every name for it beside the "
                                   "first report is another file's.");
        return;
    }
    std::ostringstream failures;
    std::size_t failed = 0;
    std::string error;
    const bool written = write_overview_folder(
        reports, config, OverviewSettings{folder, jobs, false},
        [](const Inspection& inspection) {
            return inspection_failed(inspection) ? damage_problem(inspection) + '\n'
                                                 : std::string();
        },
        failures, failed, error);
    std::istringstream lines(failures.str());
    for (std::string line; std::getline(lines, line);)
        outcome.problems.push_back(line);
    if (written)
        outcome.opened.push_back(utf8_from_path(path_from_utf8(folder) / "index.html"));
    else if (overview_names_too_long(folder, reports))
        outcome.problems.push_back("Cannot write the overview: its name is too long for "
                                   "Windows (" + std::to_string(longest_path) +
                                   " characters at most for a page's, with its folders). Copy "
                                   "the reports into a folder with a short name, such as "
                                   "Documents, and drop them there again.");
    else
        outcome.problems.push_back("Cannot write the overview: " + error +
                                   ". Copy the reports into a folder you can write to, such "
                                   "as Documents, and drop them there again.");
}

} // namespace

std::string overview_folder_beside(const std::string& first_input)
{
    const fs::path first = path_from_utf8(first_input);
    std::error_code failure;
    std::string name = utf8_from_path(fs::is_directory(first, failure) ? first.filename()
                                                                        : first.stem());
    if (name.empty())
        name = "Ravelo";
    return usable_name(utf8_from_path(first.parent_path() / path_from_utf8(name + "-overview")),
                       "", reusable_overview);
}

DroppedOutcome inspect_dropped(const std::vector<std::string>& inputs, const Config& config,
                               unsigned jobs)
{
    DroppedOutcome outcome;
    std::vector<std::string> reports;
    bool folder_given = false;
    for (const std::string& input : inputs) {
        std::error_code failure;
        if (fs::is_directory(path_from_utf8(input), failure)) {
            folder_given = true;
            add_folder_reports(input, reports, outcome);
        } else {
            reports.push_back(input);
        }
    }
    if (reports.size() == 1 && !folder_given)
        write_one_page(reports.front(), config, outcome);
    else if (!reports.empty())
        write_overview_beside(reports, overview_folder_beside(inputs.front()), config, jobs,
                              outcome);
    return outcome;
}
