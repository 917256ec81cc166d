// ravelo-inspect: reads Ravelo reports and says what is wrong and why.
#include "audit/config.h"
#include "audit/config_location.h"
#include "audit/manifest.h"
#include "desk/batch.h"
#include "desk/inspection.h"
#include "desk/support_desk.h"
#include "inspect_main.h"
#include "output/outputs.h"
#include "output/overview.h"
#include "platform/desktop.h"
#include "report/file_names.h"
#include "tools/dropped_files.h"

#include <ravelo_version.h>

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace {

const int exit_inspected = 0;
const int exit_not_inspected = 1;
const int exit_usage = 2;

struct Options {
    std::vector<std::string> reports;
    std::string config_file, manifests, html_file, manifest_folder, overview_folder;
    std::string redact_file, diff_old, diff_new;
    bool json = false, summary = false, redact = false, open_page = false;
    unsigned jobs = processor_count();
};

int usage_error(const std::string& message)
{
    std::cerr << "ravelo-inspect: " << message << '\n';
    return exit_usage;
}

ConfigChoice config_choice(const Options& options)
{
    return choose_config(options.config_file, program_folder(), user_config_folder());
}

bool load_settings(const Options& options, const ConfigChoice& choice, Config& config,
                   std::string& error)
{
    if (choice.origin != ConfigOrigin::none && !load_config(choice.file, config, error))
        return false;
    if (options.manifests.empty())
        return true;
    config.manifests.clear();
    return load_manifests(options.manifests, config.manifests, error);
}

void write_summary_of(const Inspection& inspection, const Options& options, std::ostream& out)
{
    if (options.json)
        write_summary_json(inspection, out);
    else
        write_summary_row(inspection, out);
}

void write_inspection(const Inspection& inspection, const Options& options, std::ostream& out)
{
    if (options.summary && options.json)
        write_summary_json(inspection, out);
    else if (options.summary)
        write_summary_row(inspection, out);
    else if (options.json)
        write_json(inspection, out);
    else
        write_text(inspection, out);
    if (!options.summary && !options.json && options.reports.size() > 1)
        out << '\n';
}

// Output that did not reach its file (a full disk, a closed pipe) is a
// failure the caller must see.
bool output_written(std::ostream& out)
{
    out.flush();
    if (out)
        return true;
    std::cerr << "ravelo-inspect: cannot write the output\n";
    return false;
}

BatchResult inspect_one(const std::string& file, const Options& options, const Config& config)
{
    std::ostringstream out;
    BatchResult result;
    try {
        const Inspection inspection = inspect_file(file, config, options.redact);
        result.failed = inspection_failed(inspection);
        write_inspection(inspection, options, out);
    } catch (const std::exception& failure) {
        // The same shape as any file that could not be inspected, so that a
        // JSON or TSV reader is not thrown by it.
        Inspection failed;
        failed.source = file;
        failed.error = std::string("inspection failed: ") + failure.what();
        out.str("");
        write_inspection(failed, options, out);
        result.failed = true;
    }
    result.output = out.str();
    return result;
}

bool text_output(const Options& options)
{
    return !options.json && !options.summary && options.overview_folder.empty();
}

// The text output begins with the configuration; the others keep their
// form, and a missing configuration is said on standard error instead.
void tell_config(const ConfigChoice& choice, const Options& options)
{
    if (text_output(options)) {
        write_config_lines(choice, std::cout);
        return;
    }
    if (choice.origin != ConfigOrigin::none)
        return;
    const std::vector<std::string> lines = config_lines(choice);
    std::cerr << "ravelo-inspect: config " << lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i)
        std::cerr << (i == 1 ? "; " : " ") << lines[i];
    std::cerr << '\n';
}

int write_html_page(const Options& options, const ConfigChoice& choice, const Config& config)
{
    const Inspection inspection = inspect_file(options.reports.front(), config, options.redact);
    std::ofstream page(path_from_utf8(options.html_file), std::ios::binary | std::ios::trunc);
    write_html(inspection, page);
    page.close();
    if (!page) {
        std::cerr << "ravelo-inspect: cannot write " << options.html_file << '\n';
        return exit_not_inspected;
    }
    tell_config(choice, options);
    if (options.json)
        write_json(inspection, std::cout);
    else
        write_text(inspection, std::cout);
    if (!output_written(std::cout))
        return exit_not_inspected;
    std::string error;
    if (options.open_page && !open_with_default_program(options.html_file, error)) {
        std::cerr << "ravelo-inspect: " << error << '\n';
        return exit_not_inspected;
    }
    return inspection_failed(inspection) ? exit_not_inspected : exit_inspected;
}

int write_overview_of(const Options& options, const Config& config)
{
    if (!options.json)
        write_summary_header(std::cout);
    const OverviewSettings settings{options.overview_folder, options.jobs, options.redact};
    std::size_t failed = 0;
    std::string error;
    const bool written = write_overview_folder(
        options.reports, config, settings,
        [&](const Inspection& inspection) {
            std::ostringstream row;
            write_summary_of(inspection, options, row);
            return row.str();
        },
        std::cout, failed, error);
    if (!written)
        std::cerr << "ravelo-inspect: " << error << '\n';
    if (!output_written(std::cout))
        return exit_not_inspected;
    return written && !failed ? exit_inspected : exit_not_inspected;
}

int inspect_reports(const Options& options)
{
    Config config;
    std::string error;
    const ConfigChoice choice = config_choice(options);
    if (!load_settings(options, choice, config, error))
        return usage_error(error);
    if (!options.html_file.empty()) {
        if (options.reports.size() != 1 || options.summary || !options.overview_folder.empty())
            return usage_error("--html takes exactly one report and no --summary or --overview");
        return write_html_page(options, choice, config);
    }
    if (options.open_page)
        return usage_error("--open needs --html");
    tell_config(choice, options);
    if (!options.overview_folder.empty())
        return write_overview_of(options, config);
    if (options.summary && !options.json)
        write_summary_header(std::cout);
    const std::size_t failed = run_batch(
        options.reports, options.jobs,
        [&](const std::string& file) { return inspect_one(file, options, config); }, std::cout);
    if (!output_written(std::cout))
        return exit_not_inspected;
    return failed ? exit_not_inspected : exit_inspected;
}

int write_manifest_of(const std::string& folder)
{
    std::string error;
    std::ostringstream list;
    if (!write_manifest(folder, list, error)) {
        std::cerr << "ravelo-inspect: " << error << '\n';
        return exit_not_inspected;
    }
    std::cout << list.str() << std::flush;
    return std::cout ? exit_inspected : exit_not_inspected;
}

// CLI11's own checks read a name in the ANSI code page on Windows.
const CLI::Validator existing_file(
    [](std::string& name) {
        std::error_code failure;
        return std::filesystem::is_regular_file(path_from_utf8(name), failure)
                   ? std::string()
                   : "no such file: " + name;
    },
    "FILE");
const CLI::Validator existing_folder(
    [](std::string& name) {
        std::error_code failure;
        return std::filesystem::is_directory(path_from_utf8(name), failure)
                   ? std::string()
                   : "no such folder: " + name;
    },
    "DIR");

int diff_reports_of(const Options& options)
{
    Config config;
    std::string error;
    const ConfigChoice choice = config_choice(options);
    if (!load_settings(options, choice, config, error))
        return usage_error(error);
    tell_config(choice, options);
    return diff_command(options.diff_old, options.diff_new, config, options.json,
                        options.redact, std::cout, std::cerr);
}

// The inspector's options each command reads; any other, or a report,
// given with it would be passed over silently.
bool fits_command(const CLI::App& app, const CLI::App& command)
{
    static const std::map<std::string, std::set<std::string>> read_by = {
        {"diff", {"--config", "--manifests", "--json", "--redact"}},
        {"redact", {"--config", "--manifests", "--redact"}},
        {"manifest", {}}};
    const std::set<std::string>& reads = read_by.at(command.get_name());
    for (const char* name : {"--config", "--manifests", "--json", "--redact", "--jobs",
                             "--overview", "--summary", "--html", "--open"})
        if (app.count(name) && !reads.count(name)) {
            usage_error("the " + command.get_name() + " command takes no " + name);
            return false;
        }
    if (app.count("reports")) {
        usage_error("the " + command.get_name() + " command takes no further report");
        return false;
    }
    return true;
}

// An empty name would pass over the option itself.
bool names_given(const CLI::App& app, const Options& options)
{
    const std::pair<const char*, const std::string*> named[] = {
        {"--overview", &options.overview_folder}, {"--html", &options.html_file}};
    for (const auto& [name, value] : named)
        if (app.count(name) && value->empty()) {
            usage_error(std::string(name) + " needs a name");
            return false;
        }
    return true;
}

// The configuration found is not told: the output is a report again.
int redact_report_of(const Options& options)
{
    Config config;
    std::string error;
    if (!load_settings(options, config_choice(options), config, error))
        return usage_error(error);
    return redact_command(options.redact_file, config, std::cout, std::cerr);
}

} // namespace

int inspect_main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (started_from_explorer() && dropped_arguments(arguments))
        return inspect_dropped_main(arguments);
    CLI::App app{"Reads Ravelo reports and says what is wrong with the customer's "
                 "installation, and why.",
                 "ravelo-inspect"};
    app.set_version_flag("--version", std::string("ravelo-inspect ") + RAVELO_VERSION);
    Options options;
    app.add_option("reports", options.reports, "Ravelo_Report.dat files (or decoded text)");
    app.add_option("-c,--config", options.config_file, "the add-on's TOML file")
        ->check(existing_file);
    app.add_option("-m,--manifests", options.manifests,
                   "a folder of NAME.md5 manifests, one per release (overrides the config's)")
        ->check(existing_folder);
    app.add_flag("--json", options.json, "one JSON object per report");
    app.add_option("--html", options.html_file, "also write one self-contained HTML page");
    app.add_flag("--open", options.open_page, "open the --html page in the default browser");
    app.add_flag("--summary", options.summary, "one row per report (TSV, or JSON with --json)");
    app.add_option("--overview", options.overview_folder,
                   "write DIR/index.html and one page per report, and print the summary");
    app.add_flag("--redact", options.redact,
                 "replace the customer's name, e-mail, forum name, description and user name");
    app.add_option("-j,--jobs", options.jobs, "reports inspected at once")
        ->check(CLI::Range(1, 64));
    CLI::App* manifest =
        app.add_subcommand("manifest", "print an md5sum-format manifest of an add-on folder");
    manifest->add_option("folder", options.manifest_folder, "the add-on's folder as shipped")
        ->required()
        ->check(existing_folder);
    CLI::App* diff = app.add_subcommand("diff", "what changed between two reports");
    diff->fallthrough();  // --config, --json and --redact are the inspector's
    diff->add_option("old", options.diff_old, "the earlier report")->required();
    diff->add_option("new", options.diff_new, "the later report")->required();
    CLI::App* redact =
        app.add_subcommand("redact", "print a report's text without the customer's data");
    redact->fallthrough();  // --config and --manifests: the release's own words stay
    redact->add_option("report", options.redact_file, "Ravelo_Report.dat (or decoded text)")
        ->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        return app.exit(done);
    } catch (const CLI::ParseError& failure) {
        app.exit(failure);
        return exit_usage;
    }
    for (const CLI::App* command : {manifest, diff, redact})
        if (command->parsed() && !fits_command(app, *command))
            return exit_usage;
    if (!names_given(app, options))
        return exit_usage;
    if (manifest->parsed())
        return write_manifest_of(options.manifest_folder);
    if (redact->parsed())
        return redact_report_of(options);
    if (diff->parsed())
        return diff_reports_of(options);
    if (options.reports.empty())
        return usage_error("no report given (see --help)");
    return inspect_reports(options);
}
