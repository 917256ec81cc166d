#include "decode_dropped.h"

#include "decode_file.h"
#include "report_shape.h"

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
        else if (write_beside(file_beside(report, ".txt"), text, problem))
            outcome.opened.push_back(file_beside(report, ".txt"));
        else
            outcome.problems.push_back(problem);
    }
    return outcome;
}
