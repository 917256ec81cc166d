// What the support tools do with files dropped on them in Explorer.
#include "test_support.h"
#include "tools/decode_dropped.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A name in the scratch folder as the tools hold it: UTF-8 on Windows too.
std::string utf8_file(const ScratchDirectory& scratch, const std::string& name)
{
    return (scratch.path() / fs::u8path(name)).u8string();
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
        {"reports/Ravelo_Report.dat", ".txt", "reports/Ravelo_Report.txt"},
        {"Müller Ωmega.dat", ".txt", "Müller Ωmega.txt"},
        {"report", ".txt", "report.txt"},
        {"a.b.dat", ".txt", "a.b.txt"},
        {"week.2/report", ".html", "week.2/report.html"},
        {"decoded.txt", ".txt", "decoded.txt.txt"},
        {"DECODED.TXT", ".txt", "DECODED.TXT.txt"},
        {"page.Html", ".html", "page.Html.html"},
        {"page.htm", ".html", "page.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(file_beside(c.input, c.extension), c.expected);
    }
}

TEST(DroppedFiles, OneMessageSaysEveryProblemUpToTenThenTheNoteThenWhatWasNotOpened)
{
    auto numbered = [](const char* what, std::size_t count) {
        std::vector<std::string> items;
        for (std::size_t i = 1; i <= count; ++i)
            items.push_back(what + std::to_string(i));
        return items;
    };
    struct Case {
        const char* name;
        std::size_t problems, opened;
        std::string note, expected;
    };
    const Case cases[] = {
        {"nothing to tell", 0, 1, "", ""},
        {"ten opened are all opened", 0, 10, "", ""},
        {"problems, one a line", 3, 1, "", "problem 1\nproblem 2\nproblem 3"},
        {"ten problems are all listed", 10, 0, "",
         "problem 1\nproblem 2\nproblem 3\nproblem 4\nproblem 5\nproblem 6\nproblem 7\nproblem "
         "8\nproblem 9\nproblem 10"},
        {"past ten, how many more", 12, 0, "",
         "problem 1\nproblem 2\nproblem 3\nproblem 4\nproblem 5\nproblem 6\nproblem 7\nproblem "
         "8\nproblem 9\nproblem 10\n(and 2 more)"},
        {"a note alone", 0, 1, "Configuration: none", "Configuration: none"},
        {"problems, then the note", 1, 1, "Configuration: none",
         "problem 1\n\nConfiguration: none"},
        {"eleven written are not opened", 0, 11, "",
         "11 files written, each beside its report: open them from there."},
        {"all three", 1, 11, "note",
         "problem 1\n\nnote\n\n11 files written, each beside its report: open them from there."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DroppedOutcome outcome{numbered("opened ", c.opened), numbered("problem ", c.problems)};
        EXPECT_EQ(dropped_message(outcome, c.note), c.expected);
    }
}

TEST(DroppedFiles, DecodeWritesEachReportsTextBesideItOrSaysWhyNot)
{
    const std::string report = read_file_bytes(RAVELO_GOLDEN_DIR "/report_with_crlf.dat");
    const std::string text = read_file_bytes(RAVELO_GOLDEN_DIR "/report_with_crlf.txt");
    // "Hello, Ravelo!\n" sealed under the report key: a whole file, no report.
    const std::string hello("\xe7\x0e\x95\xe2\x97\x44\x97\x69\x12\xf8\x0c\x9f\x67\x36\x9a\x18", 16);
    struct Case {
        const char* name;
        std::string file, bytes;
        bool text_in_the_way;  // a folder where the text would go
        std::string written;   // the text's name; empty when none
        std::string problem;   // a part of it; empty when none
    };
    const Case cases[] = {
        {"a report", "Ravelo_Report.dat", report, false, "Ravelo_Report.txt", ""},
        {"named outside ASCII", "Bericht für Jürgen Ωmega.dat", report, false,
         "Bericht für Jürgen Ωmega.txt", ""},
        {"a report named .txt is not written over", "sent.TXT", report, false, "sent.TXT.txt", ""},
        {"not a report", "hello.dat", hello, false, "", "is not a Ravelo report: it does not"},
        {"not a whole number of blocks", "odd.dat", "1234567", false, "", "not a multiple of 8"},
        {"not there", "", "", false, "", "cannot read"},
        {"the text cannot be written", "R.dat", report, true, "", "Cannot write "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDirectory scratch;
        const std::string input = utf8_file(scratch, c.file.empty() ? "gone.dat" : c.file);
        if (!c.file.empty())
            write_file_bytes(fs::u8path(input), c.bytes);
        if (c.text_in_the_way)
            fs::create_directories(fs::u8path(file_beside(input, ".txt")));

        const DroppedOutcome outcome = decode_dropped({input});

        if (c.written.empty()) {
            EXPECT_TRUE(outcome.opened.empty());
        } else {
            ASSERT_EQ(outcome.opened, std::vector<std::string>{utf8_file(scratch, c.written)});
            EXPECT_EQ(read_file_bytes(fs::u8path(outcome.opened.front())), text);
        }
        if (c.problem.empty()) {
            EXPECT_TRUE(outcome.problems.empty());
        } else {
            ASSERT_EQ(outcome.problems.size(), 1u);
            EXPECT_NE(outcome.problems.front().find(c.problem), std::string::npos)
                << outcome.problems.front();
        }
        if (!c.file.empty()) {
            EXPECT_EQ(read_file_bytes(fs::u8path(input)), c.bytes);
        }
    }
}

} // namespace
