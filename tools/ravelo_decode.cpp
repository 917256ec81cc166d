// ravelo-decode [--force] REPORT.dat [OUT.txt]: turns a sealed Ravelo report
// back into its plain text, for the maker's support staff.
#include "decode_dropped.h"
#include "decode_file.h"
#include "decode_main.h"
#include "../platform/desktop.h"

#include <ravelo_version.h>

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

// Every argument is a report: Explorer gives the files dropped, no options.
int decode_dropped_reports(const std::vector<std::string>& reports)
{
    if (reports.empty()) {
        show_message("ravelo-decode", MessageKind::information,
                     "Drop a Ravelo report (Ravelo_Report.dat) on ravelo-decode.exe: its text "
                     "is written beside it, as Ravelo_Report.txt, and opened.");
        return 0;
    }
    return finish_drop("ravelo-decode", decode_dropped(reports), "");
}

} // namespace

int decode_main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (started_from_explorer() && dropped_arguments(arguments))
        return decode_dropped_reports(arguments);
    CLI::App app("Turns a Ravelo report (Ravelo_Report.dat) back into its plain text.", "ravelo-decode");
    app.set_version_flag("--version", std::string("ravelo-decode ") + RAVELO_VERSION);
    // On Windows CLI11 would take a path such as /tmp/report.dat for an option.
    app.allow_windows_style_options(false);
    std::string report_path, out_path;
    bool force = false;
    app.add_option("REPORT", report_path, "the report file a customer sent")->required();
    app.add_option("OUT", out_path, "where to write the text (default: standard output)");
    app.add_flag("--force", force, "write the text even when it does not begin as a Ravelo report");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0)
            return app.exit(error);
        std::cerr << "ravelo-decode: " << error.what() << "\nRun 'ravelo-decode --help' for usage.\n";
        return 2;
    }

    return decode_file(report_path, out_path, force);
}
