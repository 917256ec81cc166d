// What the support tools do with files dropped on them in Explorer.
#include "tools/decode_dropped.h"
#include "tools/dropped_files.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

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

TEST(DroppedFiles, DecodeWritesEachTextBesideItsReportOverNoFileOfTheUsers)
{
    const std::string sealed = read_file_bytes(RAVELO_GOLDEN_DIR "/report_with_crlf.dat");
    const std::string text = read_file_bytes(RAVELO_GOLDEN_DIR "/report_with_crlf.txt");
    const std::string other_text = text + "another report's end\n";
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;  // planted, by name
        std::vector<std::string> opened;            // by name, each holding text
        std::size_t problems;
    };
    const Case cases[] = {
        {"nothing beside it", {{"R.dat", sealed}}, {"R.txt"}, 0},
        {"a text of the user's: kept, the next name",
         {{"R.dat", sealed}, {"R.txt", "my notes"}, {"R (2).txt", "more notes"}},
         {"R (3).txt"}, 0},
        {"an earlier text of a report: written anew", {{"R.dat", sealed}, {"R.txt", other_text}},
         {"R.txt"}, 0},
        {"under the next name, only its own earlier text is written anew",
         {{"R.dat", sealed}, {"R.txt", "my notes"}, {"R (2).txt", other_text}}, {"R (3).txt"}, 0},
        {"a folder named like the text: the next name", {{"R.dat", sealed}, {"R.txt/x", ""}},
         {"R (2).txt"}, 0},
        {"a sealed report named like the text of another", {{"R.dat", sealed}, {"R.txt", sealed}},
         {"R (2).txt", "R.txt.txt"}, 0},
        {"two reports of one drop whose texts take one name: neither over the other",
         {{"R.bak", sealed}, {"R.dat", sealed}, {"R.txt", "my notes"}},
         {"R (2).txt", "R (3).txt"}, 0},
        {"no report: no text", {{"R.dat", std::string(64, 'x')}}, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDirectory scratch;
        std::vector<std::string> reports, opened;
        for (const auto& [name, bytes] : c.files) {
            std::filesystem::create_directories((scratch.path() / name).parent_path());
            write_file_bytes(scratch.path() / name, bytes);
            if (name.find('/') == std::string::npos && bytes == sealed)
                reports.push_back(scratch.file(name));
        }
        if (reports.empty())
            reports.push_back(scratch.file("R.dat"));
        for (const std::string& name : c.opened)
            opened.push_back(scratch.file(name));

        const DroppedOutcome outcome = decode_dropped(reports);

        EXPECT_EQ(outcome.opened, opened);
        for (const std::string& file : outcome.opened)
            EXPECT_EQ(read_file_bytes(file), text) << file;
        EXPECT_EQ(outcome.problems.size(), c.problems);
        for (const auto& [name, bytes] : c.files)
            if (std::find(c.opened.begin(), c.opened.end(), name) == c.opened.end()) {
                EXPECT_EQ(read_file_bytes(scratch.path() / name), bytes) << name;
            }
    }
}

} // namespace
