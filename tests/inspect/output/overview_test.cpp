#include "output/overview.h"
#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<OverviewRow> batch_rows(const std::vector<std::string>& fixtures)
{
    std::vector<OverviewRow> rows;
    for (const std::string& name : fixtures)
        rows.push_back(overview_row(inspect_text(name, fixture_report(name)),
                                    page_name(rows.size(), name)));
    Inspection unreadable;
    unreadable.source = "odd.dat";
    unreadable.error = "not a Ravelo report";
    rows.push_back(overview_row(unreadable, page_name(rows.size(), "odd.dat")));
    return rows;
}

TEST(Overview, BarsCountTheReportsAndTheTotalsAddUp)
{
    const std::vector<OverviewRow> rows =
        batch_rows({"clean.txt", "faults_everywhere.txt", "unregistered_module.txt",
                    "clean.txt", "cut_short.txt"});
    std::ostringstream out;
    write_overview(rows, out);
    const std::string page = out.str();
    struct Case {
        const char* bar;  // what its title says
        bool shown;
    };
    const Case cases[] = {
        {"<title>Windows 7 Service Pack 1: 4</title>", true},
        {"<title>Windows 10: 1</title>", true},
        {"<title>1.1: 5</title>", true},
        {"<title>10.0.61259.0: 4</title>", true},
        {"<title>10.0.60905.0: 1</title>", true},
        {"<title>simconnect-missing: 1</title>", true},
        {"<title>module-not-registered: 1</title>", true},
        {"<title>report-damaged: 1</title>", true},
        // A rule that found nothing has no bar, and the unreadable report is
        // counted in no chart.
        {"<title>module-not-trusted-yet: ", false},
        {"<title>unknown: ", false},
        {"<b>6</b> reports: <b>4</b> inspected cleanly, <b>1</b> damaged, <b>1</b> unreadable",
         true},
        {"<a href=\"00002-faults_everywhere.txt.html\">faults_everywhere.txt</a>", true},
        {"cannot inspect: not a Ravelo report", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bar);
        EXPECT_EQ(page.find(c.bar) != std::string::npos, c.shown);
    }
}

// addon-path-missing is a note in one report and a warning in the other.
TEST(Overview, ABarTakesTheGravestSeverityItsRuleHad)
{
    std::ostringstream out;
    write_overview(batch_rows({"unregistered_module.txt", "faults_everywhere.txt"}), out);
    const std::string page = out.str();
    const std::size_t bar = page.find("<title>addon-path-missing: 2</title>");
    ASSERT_NE(bar, std::string::npos);
    EXPECT_EQ(page.compare(page.find("class=\"bar", bar), 18, "class=\"bar warning"), 0);
}

TEST(Overview, ARowKeepsEachRuleOnceAndTheFirstFinding)
{
    const OverviewRow row = overview_row(
        inspect_text("f", fixture_report("faults_everywhere.txt")), "p.html");
    EXPECT_EQ(row.first_finding, "simconnect-missing");
    EXPECT_EQ(row.errors, 5u);
    EXPECT_EQ(row.warnings, 5u);
    for (std::size_t i = 0; i < row.rules.size(); ++i)
        for (std::size_t k = i + 1; k < row.rules.size(); ++k)
            EXPECT_NE(row.rules[i].first, row.rules[k].first);
    EXPECT_EQ(row.simconnect, std::vector<std::string>{"10.0.60905.0"});
}

TEST(Overview, PageNamesAreNumberedAndSafe)
{
    struct Case {
        std::size_t index;
        const char* source;
        const char* page;
    } const cases[] = {
        {0, "reports/a.dat", "00001-a.dat.html"},
        {9999, "C:\\in\\b c.dat", "10000-b_c.dat.html"},
        {41, "x/\"><script>.dat", "00042-___script_.dat.html"},
        {2, "r\xE9sum\xE9.dat", "00003-r_sum_.dat.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(page_name(c.index, c.source), c.page);
    }
}

} // namespace
