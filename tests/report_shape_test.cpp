#include "test_support.h"
#include "tools/report_shape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string first_banner()
{
    const std::string filler = "*" + std::string(68, ' ') + "*\n";
    return "** Basic information *************************************************\n" + filler + filler +
           filler + std::string(70, '*') + "\n\n";
}

} // namespace

TEST(ReportShape, KnowsAReportByItsFirstLines)
{
    const std::string head = first_banner();
    const std::string no_path = "Can't find FSX registry entry.\n";
    const struct {
        const char* what;
        std::string text;
        bool report;
    } cases[] = {
        {"the first banner", head + "Name:                Ada\n", true},
        {"the banner alone", head, true},
        {"the install-path failure line, then the banner", no_path + head, true},
        {"empty", "", false},
        {"another text", "Hello, Ravelo!\n", false},
        {"the banner cut short", head.substr(0, head.size() - 1), false},
        {"the failure line alone", no_path, false},
        {"another section's banner first",
         "** Vok directory test ************************************************\n" + head.substr(71), false},
        {"the failure line twice", no_path + no_path + head, false},
        {"a line before the banner", "x\n" + head, false},
        {"carriage returns in the banner", "** Basic information *************************************************\r\n" +
                                                head.substr(71), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(looks_like_report(c.text), c.report) << c.what;
}

TEST(ReportShape, KnowsAWholeReport)
{
    EXPECT_TRUE(looks_like_report(read_file_bytes(RAVELO_GOLDEN_DIR "/machine_without_simulator.txt")));
}
