#include "desk/support_desk.h"

#include "desk/diff.h"
#include "desk/inspection.h"
#include "desk/redaction.h"
#include "report/parser.h"

namespace {

const int exit_done = 0;
const int exit_input_failed = 1;

} // namespace

int diff_command(const std::string& old_file, const std::string& new_file, const Config& config,
                 bool json, bool redact, std::ostream& out, std::ostream& err)
{
    Inspection old_one, new_one;
    if (redact) {
        inspect_redacted_pair(old_file, new_file, config, old_one, new_one);
    } else {
        old_one = inspect_file(old_file, config);
        new_one = inspect_file(new_file, config);
    }
    bool unreadable = false;
    for (const Inspection* inspection : {&old_one, &new_one})
        if (!inspection->error.empty()) {
            err << "ravelo-inspect: " << inspection->source << ": " << inspection->error << '\n';
            unreadable = true;
        }
    if (unreadable)
        return exit_input_failed;
    const ReportDiff diff = diff_reports(old_one, new_one);
    if (json)
        write_diff_json(old_one, new_one, diff, out);
    else
        write_diff_text(old_one, new_one, diff, out);
    out.flush();
    for (const Inspection* inspection : {&old_one, &new_one})
        if (inspection_failed(*inspection))
            err << "ravelo-inspect: " << inspection->source << ": damaged (see report-damaged)\n";
    return inspection_failed(old_one) || inspection_failed(new_one) || !out ? exit_input_failed
                                                                            : exit_done;
}

int redact_command(const std::string& file, const Config& config, std::ostream& out,
                   std::ostream& err)
{
    std::string text, error;
    if (!read_report_text(file, text, error) || !holds_section_banner(text, error)) {
        err << "ravelo-inspect: " << file << ": " << error << '\n';
        return exit_input_failed;
    }
    out << redacted_report(text, find_personal_data(text), config) << std::flush;
    return out ? exit_done : exit_input_failed;
}
