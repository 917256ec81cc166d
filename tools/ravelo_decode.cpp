// ravelo-decode [--force] REPORT.dat [OUT.txt]: turns a sealed Ravelo report
// back into its plain text, for the maker's support staff.
#include "report_decipher.h"
#include "report_shape.h"
#include "../platform/standard_output.h"

#include <ravelo_version.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

int fail(const std::string& message)
{
    std::cerr << "ravelo-decode: " << message << '\n';
    return 1;
}

bool read_whole_file(const std::string& path, std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    // A directory opens but fails on the first read.
    const bool failed = std::ferror(file);
    std::fclose(file);
    return !failed;
}

bool write_text(const std::string& path, const std::string& text)
{
    if (path.empty()) {
        make_standard_output_binary();
        std::cout.write(text.data(), text.size());
        std::cout.flush();
        return bool(std::cout);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), text.size());
    out.close();
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
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

    std::string sealed;
    if (!read_whole_file(report_path, sealed))
        return fail("cannot read " + report_path);
    std::string text;
    if (!decipher_report(sealed, text))
        return fail(report_path + " is not a Ravelo report: its size (" + std::to_string(sealed.size()) +
                    " bytes) is not a multiple of 8");
    if (!force && !looks_like_report(text))
        return fail(report_path + " is not a Ravelo report: it does not begin with a report's first " +
                    "lines (another file, or a damaged one); --force writes its text anyway");
    if (!write_text(out_path, text))
        return fail("cannot write " + (out_path.empty() ? std::string("standard output") : out_path));
    return 0;
}
