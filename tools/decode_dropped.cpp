#include "decode_dropped.h"

#include "decode_file.h"
#include "report_shape.h"

namespace {

// NAME.txt unless it is a file of the user's (any text but a report's),
// else the next free name. Only this very text is written anew under a
// numbered name: one that differs may be another report's, NAME (2).dat's.
std::string text_file_beside(const std::string& report, const std::string& text)
{
    const std::string first = file_beside(report, ".txt");
    return usable_name(first, ".txt", [&](const std::string& file) {
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
        else if (const std::string file = text_file_beside(report, text); file.empty())
            outcome.problems.push_back("Cannot write the text of " + short_name(report) +
                                       ": every name for it beside the report is another file's.");
        else if (write_beside(file, text, problem))
            outcome.opened.push_back(file);
        else
            outcome.problems.push_back(problem);
    }
    return outcome;
}
