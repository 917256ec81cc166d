#include "decode_dropped.h"

#include "decode_file.h"
#include "report_shape.h"

#include <filesystem>

namespace {

// Asks the file system, not the names: Windows takes r.txt for R.txt.
bool written_in_this_drop(const std::string& file, const std::vector<std::string>& written)
{
    for (const std::string& earlier : written) {
        std::error_code failure;
        if (std::filesystem::equivalent(std::filesystem::u8path(file),
                                        std::filesystem::u8path(earlier), failure))
            return true;
    }
    return false;
}

// NAME.txt unless it is a file of the user's (any text but a report's) or
// the text of a report dropped with this one (R.dat and R.bak both give
// R.txt), else the next free name. Only this very text is written anew
// under a numbered name: one that differs may be another report's, NAME
// (2).dat's.
std::string text_file_beside(const std::string& report, const std::string& text,
                             const std::vector<std::string>& written)
{
    const std::string first = file_beside(report, ".txt");
    return usable_name(first, ".txt", [&](const std::string& file) {
        if (written_in_this_drop(file, written))
            return false;
        const std::string head = file_head(file, text.size() + 1);
        return head == text || (file == first && looks_like_report(head));
    });
}

} // namespace

DroppedOutcome decode_dropped(const std::vector<std::string>& reports)
{
    DroppedOutcome outcome;
    for (const std::string& report : reports) {
        std::string text, problem;
        if (!decipher_file(report, text, problem))
            outcome.problems.push_back(problem + ".");
        else if (!looks_like_report(text))
            outcome.problems.push_back(not_a_report(report) +
                                       ". Ask the customer to send it again, unchanged.");
        else if (const std::string file = text_file_beside(report, text, outcome.opened);
                 file.empty())
            outcome.problems.push_back("Cannot write the text of " + short_name(report) +
                                       ": every name for it beside the report is another file's.");
        else if (write_beside(file, text, problem))
            outcome.opened.push_back(file);
        else
            outcome.problems.push_back(problem);
    }
    return outcome;
}
