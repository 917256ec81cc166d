// What the support tools do with files dropped on them in Explorer.
#include "tools/dropped_files.h"

#include <gtest/gtest.h>

namespace {

TEST(DroppedFiles, ACommandLineWithAnOptionIsNoDrop)
{
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        bool dropped;
    };
    const Case cases[] = {
        {"a double-click", {}, true},
        {"reports and a folder", {"C:\\Mail\\Ravelo_Report.dat", "\\\\server\\week 12"}, true},
        {"a name with a dash inside", {"C:\\x\\a-b.dat"}, true},
        {"an option first", {"--summary", "C:\\r.dat"}, false},
        {"an option last", {"C:\\r.dat", "-j2"}, false},
        {"a lone dash", {"-"}, false},
        {"an empty argument", {"C:\\r.dat", ""}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dropped_arguments(c.arguments), c.dropped);
    }
}

TEST(DroppedFiles, TheOutputGoesBesideTheInputAndNeverOverIt)
{
    struct Case {
        const char* input;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"reports/Ravelo_Report.dat", ".html", "reports/Ravelo_Report.html"},
        {"Müller Ωmega.dat", ".txt", "Müller Ωmega.txt"},
        {"week.2/report", ".txt", "week.2/report.txt"},
        {"a.b.dat", ".txt", "a.b.txt"},
        {"DECODED.TXT", ".txt", "DECODED.TXT.txt"},
        {"page.Html", ".html", "page.Html.html"},
        {"page.htm", ".html", "page.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(file_beside(c.input, c.extension), c.expected);
    }
}

TEST(DroppedFiles, OneMessageSaysTenProblemsAtMostThenTheNoteThenWhatWasNotOpened)
{
    struct Case {
        std::size_t problems, opened;
        std::string note, expected;
    };
    const std::string ten = "p1\np2\np3\np4\np5\np6\np7\np8\np9\np10";
    const std::string not_opened = "11 files written, each beside its report: open them from there.";
    const Case cases[] = {
        {0, 10, "", ""},
        {10, 0, "", ten},
        {12, 0, "", ten + "\n(and 2 more)"},
        {0, 1, "note", "note"},
        {0, 11, "", not_opened},
        {1, 11, "note", "p1\n\nnote\n\n" + not_opened},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        DroppedOutcome outcome;
        outcome.opened.resize(c.opened, "page.html");
        for (std::size_t i = 1; i <= c.problems; ++i)
            outcome.problems.push_back("p" + std::to_string(i));
        EXPECT_EQ(dropped_message(outcome, c.note), c.expected);
    }
}

} // namespace
