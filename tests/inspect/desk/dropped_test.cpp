#include "desk/dropped.h"
#include "tests/inspect/inspect_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;

namespace {

const std::string clean = fixture_report("clean.txt");
const std::string cut_short = fixture_report("cut_short.txt");
// A whole number of blocks that deciphers to no report.
const std::string no_report(64, 'x');

std::size_t files_in(const fs::path& folder)
{
    std::size_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        count += entry.is_regular_file();
    return count;
}

bool is_page(const fs::path& file)
{
    const std::string page = read_file_bytes(file);
    return page.rfind("<!DOCTYPE html>", 0) == 0 && page.find("</html>") != std::string::npos;
}

TEST(Dropped, EachDropGivesItsPagesBesideTheReportsOrSaysWhyNot)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;  // planted, by name
        std::vector<std::string> folders;           // planted empty
        std::vector<std::string> inputs;            // dropped, in order
        std::vector<std::string> opened;            // pages, by name
        std::vector<std::string> problems;          // a part of each, in order
        std::string overview;                       // its folder, and how many files
        std::size_t overview_files;
    };
    std::map<std::string, std::string> fifty;
    std::vector<std::string> fifty_names;
    for (int i = 0; i < 50; ++i) {
        const std::string name = "r" + std::to_string(100 + i) + ".dat";
        fifty[name] = i == 20 ? no_report : clean;
        fifty_names.push_back(name);
    }
    const Case cases[] = {
        {"one report", {{"Ravelo_Report.dat", clean}}, {}, {"Ravelo_Report.dat"},
         {"Ravelo_Report.html"}, {}, "", 0},
        {"named outside ASCII", {{"Bericht für Jürgen Ωmega.dat", clean}}, {},
         {"Bericht für Jürgen Ωmega.dat"}, {"Bericht für Jürgen Ωmega.html"}, {}, "", 0},
        {"an extension in capitals", {{"R.DAT", clean}}, {}, {"R.DAT"}, {"R.html"}, {}, "", 0},
        {"no extension", {{"report", clean}}, {}, {"report"}, {"report.html"}, {}, "", 0},
        {"a report named .html is not written over", {{"R.HTML", clean}}, {}, {"R.HTML"},
         {"R.HTML.html"}, {}, "", 0},
        {"a damaged report: its page, and why", {{"cut.dat", cut_short}}, {}, {"cut.dat"},
         {"cut.html"}, {"cut.dat: line "}, "", 0},
        {"no report at all", {{"photo.dat", no_report}}, {}, {"photo.dat"}, {"photo.html"},
         {"photo.dat: line 1: no Ravelo report"}, "", 0},
        {"not a whole number of blocks: no page", {{"odd.dat", "1234567"}}, {}, {"odd.dat"}, {},
         {"odd.dat: cannot be inspected: not a Ravelo report"}, "", 0},
        {"a file that is not there", {}, {}, {"gone.dat"}, {},
         {"gone.dat: cannot be inspected: cannot open the file"}, "", 0},
        {"a page that cannot be written", {{"R.dat", clean}}, {"R.html"}, {"R.dat"}, {},
         {"Cannot write "}, "", 0},
        {"two reports: their overview beside the first", {{"a.dat", clean}, {"b.dat", clean}},
         {}, {"a.dat", "b.dat"}, {"a-overview/index.html"}, {}, "a-overview", 3},
        {"an overview says which report failed", {{"a.dat", clean}, {"odd.dat", "1234567"}}, {},
         {"a.dat", "odd.dat"}, {"a-overview/index.html"}, {"odd.dat: cannot be inspected"},
         "a-overview", 3},
        {"a folder: the overview of its reports only",
         {{"week/x.dat", clean}, {"week/y.DAT", clean}, {"week/x.html", "<p>"},
          {"week/notes.txt", clean}, {"week/old/z.dat", clean}},
         {}, {"week"}, {"week-overview/index.html"}, {}, "week-overview", 3},
        {"a folder without reports", {{"empty/notes.txt", clean}}, {}, {"empty"}, {},
         {"holds no report"}, "", 0},
        {"a report and a folder together", {{"a.dat", clean}, {"week/x.dat", clean}}, {},
         {"a.dat", "week"}, {"a-overview/index.html"}, {}, "a-overview", 3},
        {"an overview that cannot be made", {{"a.dat", clean}, {"b.dat", clean},
                                             {"a-overview", "a file"}},
         {}, {"a.dat", "b.dat"}, {}, {"Cannot write the overview"}, "", 0},
        {"fifty reports, one of them none", fifty, {}, fifty_names, {"r100-overview/index.html"},
         {"r120.dat: line 1: no Ravelo report"}, "r100-overview", 51},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDirectory scratch;
        for (const auto& [name, bytes] : c.files) {
            fs::create_directories((scratch.path() / fs::u8path(name)).parent_path());
            write_file_bytes(scratch.path() / fs::u8path(name), bytes);
        }
        for (const std::string& folder : c.folders)
            fs::create_directories(scratch.path() / folder);
        std::vector<std::string> inputs;
        for (const std::string& input : c.inputs)
            inputs.push_back(scratch.file(input));

        const DroppedOutcome outcome = inspect_dropped(inputs, fixture_config(), 2);

        std::vector<std::string> opened;
        for (const std::string& page : c.opened)
            opened.push_back((scratch.path() / fs::u8path(page)).u8string());
        EXPECT_EQ(outcome.opened, opened);
        for (const std::string& page : outcome.opened)
            EXPECT_TRUE(is_page(fs::u8path(page))) << page;
        ASSERT_EQ(outcome.problems.size(), c.problems.size());
        for (std::size_t i = 0; i < c.problems.size(); ++i)
            EXPECT_NE(outcome.problems[i].find(c.problems[i]), std::string::npos)
                << outcome.problems[i];
        for (const auto& [name, bytes] : c.files)
            EXPECT_EQ(read_file_bytes(scratch.path() / fs::u8path(name)), bytes) << name;
        if (!c.overview.empty()) {
            EXPECT_EQ(files_in(scratch.path() / c.overview), c.overview_files);
        }
    }
}

} // namespace
