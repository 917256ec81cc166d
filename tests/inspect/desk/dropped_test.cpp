#include "desk/dropped.h"
#include "tests/inspect/inspect_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

TEST(Dropped, EachDropGivesItsPagesBesideTheReportsOrSaysWhyNot)
{
    const std::string clean = fixture_report("clean.txt");
    const std::string no_report(64, 'x');  // whole blocks that decipher to no report
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;  // planted, by name
        std::vector<std::string> inputs;            // dropped, in order
        std::vector<std::string> opened;            // by name
        std::vector<std::string> problems;          // a part of each, in order
        std::size_t overview_files;                 // in the folder of the page opened
        bool dropped_before = false;                // the same drop once already
    };
    const std::string long_name(251, 'n');  // its page's name is one too long
    std::map<std::string, std::string> fifty;
    std::vector<std::string> fifty_names;
    for (int i = 100; i < 150; ++i) {
        fifty_names.push_back("r" + std::to_string(i) + ".dat");
        fifty[fifty_names.back()] = i == 120 ? no_report : clean;
    }
    const Case cases[] = {
        {"one report", {{"Ravelo_Report.dat", clean}}, {"Ravelo_Report.dat"},
         {"Ravelo_Report.html"}, {}, 0},
        {"a damaged report: its page, and why", {{"cut.dat", fixture_report("cut_short.txt")}},
         {"cut.dat"}, {"cut.html"}, {"cut.dat: line "}, 0},
        {"no report at all: no page", {{"photo.dat", no_report}}, {"photo.dat"}, {},
         {"photo.dat: line 1: no Ravelo report"}, 0},
        {"an empty file: no page", {{"empty.dat", ""}}, {"empty.dat"}, {},
         {"empty.dat: line 1: no Ravelo report"}, 0},
        {"not a whole number of blocks: no page", {{"odd.dat", "1234567"}}, {"odd.dat"}, {},
         {"odd.dat: cannot be inspected: not a Ravelo report"}, 0},
        {"a folder named like the page: the next name", {{"R.dat", clean}, {"R.html/x", ""}},
         {"R.dat"}, {"R (2).html"}, {}, 0},
        {"a page of the user's own: kept, the next name",
         {{"R.dat", clean}, {"R.html", "<p>my notes</p>"}, {"R (2).html", "<p>more</p>"}},
         {"R.dat"}, {"R (3).html"}, {}, 0},
        {"dropped again: the page written anew, not beside it", {{"R.dat", clean}}, {"R.dat"},
         {"R.html"}, {}, 0, true},
        {"a page whose name is too long", {{long_name + ".dat", clean}}, {long_name + ".dat"}, {},
         {long_name + ".html: its name is too long"}, 0},
        {"a folder: the overview of the reports in it, no other file",
         {{"week.12/x.dat", clean}, {"week.12/y.DAT", clean}, {"week.12/x.html", "<p>"},
          {"week.12/notes.txt", clean}, {"week.12/old/z.dat", clean}},
         {"week.12"}, {"week.12-overview/index.html"}, {}, 3},
        {"a folder of one report: still its overview", {{"one/x.dat", clean}}, {"one"},
         {"one-overview/index.html"}, {}, 2},
        {"a folder without reports", {{"empty/notes.txt", clean}}, {"empty"}, {},
         {"holds no report"}, 0},
        {"a file named like the overview: the next name",
         {{"a.dat", clean}, {"b.dat", clean}, {"a-overview", "a file"}}, {"a.dat", "b.dat"},
         {"a-overview (2)/index.html"}, {}, 3},
        {"a folder of the user's named like the overview: kept, the next name",
         {{"a.dat", clean}, {"b.dat", clean}, {"a-overview/index.html", "<p>mine</p>"}},
         {"a.dat", "b.dat"}, {"a-overview (2)/index.html"}, {}, 3},
        {"dropped again: the overview written anew", {{"a.dat", clean}, {"b.dat", clean}},
         {"a.dat", "b.dat"}, {"a-overview/index.html"}, {}, 3, true},
        {"an overview whose name is too long", {{long_name + ".dat", clean}, {"b.dat", clean}},
         {long_name + ".dat", "b.dat"}, {}, {"Cannot write the overview: its name is too long"},
         0},
        {"fifty reports, one of them none", fifty, fifty_names, {"r100-overview/index.html"},
         {"r120.dat: line 1: no Ravelo report"}, 51},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDirectory scratch;
        std::vector<std::string> inputs, opened;
        for (const auto& [name, bytes] : c.files) {
            fs::create_directories((scratch.path() / name).parent_path());
            write_file_bytes(scratch.path() / name, bytes);
        }
        for (const std::string& input : c.inputs)
            inputs.push_back(scratch.file(input));
        for (const std::string& page : c.opened)
            opened.push_back(scratch.file(page));

        if (c.dropped_before)
            inspect_dropped(inputs, fixture_config(), 2);
        const DroppedOutcome outcome = inspect_dropped(inputs, fixture_config(), 2);

        EXPECT_EQ(outcome.opened, opened);
        for (const std::string& page : outcome.opened)
            EXPECT_EQ(read_file_bytes(page).rfind("<!DOCTYPE html>", 0), 0u) << page;
        ASSERT_EQ(outcome.problems.size(), c.problems.size());
        for (std::size_t i = 0; i < c.problems.size(); ++i)
            EXPECT_NE(outcome.problems[i].find(c.problems[i]), std::string::npos)
                << outcome.problems[i];
        for (const auto& [name, bytes] : c.files)
            EXPECT_EQ(read_file_bytes(scratch.path() / name), bytes) << name;
        std::set<std::string> beside, expected_beside;  // nothing written but what is opened
        for (const auto& entry : fs::directory_iterator(scratch.path()))
            beside.insert(entry.path().filename().string());
        for (const auto& [name, bytes] : c.files)
            expected_beside.insert(name.substr(0, name.find('/')));
        for (const std::string& page : c.opened)
            expected_beside.insert(page.substr(0, page.find('/')));
        EXPECT_EQ(beside, expected_beside);
        if (c.overview_files) {
            const fs::path folder = fs::path(opened.front()).parent_path();
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
                      static_cast<long>(c.overview_files));
        }
    }
}

} // namespace
