#include "output/outputs.h"
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

// More kinds than bars_shown: the last bar counts the kinds and reports
// that did not get one of their own.
TEST(Overview, TheOthersBarCountsWhatItHolds)
{
    const struct {
        std::size_t kinds;  // release k is in kinds + 1 - k reports
        const char* last_bar;
    } cases[] = {
        {25, "<title>r25: 1</title>"},
        {26, "<title>(2 others): 3</title>"},
        {30, "<title>(6 others): 21</title>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kinds);
        std::vector<OverviewRow> rows;
        for (std::size_t k = 1; k <= c.kinds; ++k)
            for (std::size_t n = 0; n < c.kinds + 1 - k; ++n) {
                rows.emplace_back();
                rows.back().release = "r" + std::to_string(k);
            }
        std::ostringstream out;
        write_overview(rows, out);
        const std::string page = out.str();
        const std::size_t chart = page.find("Reports by matched release");
        const std::string releases = page.substr(chart, page.find("</svg>", chart) - chart);
        EXPECT_NE(releases.find(std::string(c.last_bar) + "<text"), std::string::npos);
        EXPECT_NE(releases.find("<title>r24: " + std::to_string(c.kinds - 23) + "</title>"),
                  std::string::npos);
        EXPECT_EQ(releases.find("<title>r26: "), std::string::npos);
    }
}

TEST(Overview, PageNamesAreNumberedAndSafe)
{
    struct Case {
        std::size_t index;
        std::string source;
        std::string page;
    } const cases[] = {
        {0, "reports/a.dat", "00001-a.dat.html"},
        {9999, "C:\\in\\b c.dat", "10000-b_c.dat.html"},
        {41, "x/\"><script>.dat", "00042-___script_.dat.html"},
        {2, "r\xE9sum\xE9.dat", "00003-r_sum_.dat.html"},
        {3, "in/Kundenbericht f\xC3\xBCr M\xC3\xBCller.dat",
         "00004-Kundenbericht_f__r_M__ller.dat.html"},
        // A file name may have 255 bytes, a page's name as many.
        {4, "in/" + std::string(251, 'x') + ".dat", "00005-" + std::string(100, 'x') + ".html"},
        {5, std::string(100, '\xE9') + "y", "00006-" + std::string(100, '_') + ".html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(page_name(c.index, c.source), c.page);
    }
}

// Names come from the command line as UTF-8: shown as given, escaped, in
// the index and in the report's own page.
TEST(Overview, TheFileIsNamedAsGivenInTheIndexAndItsPage)
{
    const struct {
        std::string source, shown;
    } cases[] = {
        {"in/Kundenbericht f\xC3\xBCr M\xC3\xBCller.dat",
         "in/Kundenbericht f\xC3\xBCr M\xC3\xBCller.dat"},
        {"in/<script>a&b'\".dat", "in/&lt;script&gt;a&amp;b&#39;&quot;.dat"},
        {"r\xE9sum\xE9\x1b.dat", "r\\xe9sum\\xe9\\x1b.dat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const Inspection inspection = inspect_text(c.source, fixture_report("clean.txt"));
        std::ostringstream index, page;
        write_overview({overview_row(inspection, "p.html")}, index);
        EXPECT_NE(index.str().find("<a href=\"p.html\">" + c.shown + "</a>"), std::string::npos);
        write_html(inspection, page);
        EXPECT_NE(page.str().find("<title>Ravelo inspection: " + c.shown + "</title>"),
                  std::string::npos);
        EXPECT_NE(page.str().find("<h1>Ravelo inspection: " + c.shown + "</h1>"),
                  std::string::npos);
    }
    std::ostringstream unlinked;
    write_overview({overview_row(inspect_text("a.dat", fixture_report("clean.txt")), "")},
                   unlinked);
    EXPECT_NE(unlinked.str().find("<tr><td>a.dat</td>"), std::string::npos);
}

} // namespace
