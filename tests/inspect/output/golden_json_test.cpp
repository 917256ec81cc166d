#include "output/outputs.h"
#include "rules/rules.h"
#include "seal/report_cipher.h"
#include "tests/inspect/inspect_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <set>
#include <sstream>

using nlohmann::json;

namespace {

const char* const fixtures[] = {
    "clean", "faults_everywhere", "malformed_dll_xml", "unregistered_module",
    "no_install_path", "cut_short", "cut_by_reporter", "install_path_without_backslash",
    "path_too_long",
};

json inspection_json(const Inspection& inspection)
{
    std::ostringstream out;
    write_json(inspection, out);
    return json::parse(out.str());
}

// RAVELO_UPDATE_GOLDEN=1 rewrites the expected files; review their diff.
void compare_with_golden(const json& actual, const std::string& name)
{
    const std::string path = golden_path(name + ".json");
    if (std::getenv("RAVELO_UPDATE_GOLDEN"))
        write_file_bytes(path, actual.dump(2) + "\n");
    const json expected = json::parse(read_file_bytes(path));
    EXPECT_EQ(expected, actual) << "diff: " << json::diff(expected, actual).dump(2);
}

class GoldenJson : public testing::TestWithParam<const char*> {};

TEST_P(GoldenJson, MatchesItsExpectedFile)
{
    const std::string name = GetParam();
    compare_with_golden(inspection_json(inspect_text(name + ".txt", fixture_report(name + ".txt"))),
                        name);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GoldenJson, testing::ValuesIn(fixtures));

TEST(GoldenJson, EveryRuleFiresOnSomeFixtureAndNoneOnTheCleanReport)
{
    std::set<std::string> fired;
    for (const char* name : fixtures) {
        const Inspection inspection =
            inspect_text(name, fixture_report(std::string(name) + ".txt"));
        for (const std::string& rule : rules_found(inspection))
            fired.insert(rule);
        if (std::string(name) == "clean") {
            EXPECT_TRUE(inspection.findings.empty()) << json(rules_found(inspection)).dump();
        }
    }
    for (const Rule& rule : rule_table())
        EXPECT_TRUE(fired.count(rule.id)) << rule.id << " fired on no fixture";
}

TEST(GoldenJson, SealedReportReadsLikeItsPlainText)
{
    ScratchDirectory scratch;
    const std::string text = fixture_report("faults_everywhere.txt");
    const std::string sealed = scratch.file("Ravelo_Report.dat");
    ASSERT_TRUE(seal_text(text, sealed.c_str()));
    json from_sealed = inspection_json(inspect_file(sealed, fixture_config()));
    json from_text = inspection_json(inspect_text(sealed, text));
    EXPECT_EQ(from_text, from_sealed);
    EXPECT_EQ(from_sealed["findings"].size(), 12u);
}

TEST(GoldenJson, UnreadableAndForeignFilesAreNotInspected)
{
    ScratchDirectory scratch;
    const Inspection missing = inspect_file(scratch.file("none.dat"), fixture_config());
    EXPECT_EQ(missing.error, "cannot open the file");
    write_file_bytes(scratch.path() / "odd.dat", "1234567");
    const Inspection odd = inspect_file(scratch.file("odd.dat"), fixture_config());
    EXPECT_NE(odd.error.find("not a whole number of 8-byte blocks"), std::string::npos);
    EXPECT_TRUE(inspection_failed(odd));
}

} // namespace
