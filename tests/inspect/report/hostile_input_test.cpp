#include "output/outputs.h"
#include "report/parser.h"
#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace {

const std::string banner_start = "** ";

bool has_rule(const Inspection& inspection, const std::string& rule)
{
    for (const std::string& found : rules_found(inspection))
        if (found == rule)
            return true;
    return false;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Every output of the inspection, which must neither throw nor let a
// control byte through (a line feed only between lines or JSON records).
void check_outputs(const Inspection& inspection)
{
    std::ostringstream text, json, html;
    write_text(inspection, text);
    write_json(inspection, json);
    write_html(inspection, html);
    EXPECT_NO_THROW(nlohmann::json::parse(json.str()));
    for (const std::string& out : {text.str(), html.str()})
        for (unsigned char c : out)
            ASSERT_TRUE(c >= 0x20 || c == '\n') << "control byte " << int(c);
}

TEST(HostileInput, CutAtEveryLineStillParsesAndSaysItIsDamaged)
{
    const std::string text = fixture_report("faults_everywhere.txt");
    // A cut inside the last section cannot show: it runs to the end.
    const std::size_t last_banner = text.find("** HKEY_USERS enumeration");
    for (std::size_t cut = 0; cut < text.size(); cut = text.find('\n', cut + 1)) {
        const Inspection inspection = inspect_text("cut", text.substr(0, cut));
        if (cut < last_banner) {
            ASSERT_TRUE(has_rule(inspection, "report-damaged")) << "cut at byte " << cut;
        }
        check_outputs(inspection);
    }
}

TEST(HostileInput, SectionsBeforeACutAreKept)
{
    const std::string text = fixture_report("clean.txt");
    const Report report = parse_report(text.substr(0, text.find("** dll.xml test")));
    EXPECT_EQ(report.customer.name, "Ada Lovelace");
    EXPECT_EQ(report.vok.entries.size(), 7u);
    EXPECT_TRUE(report.vok.complete);
    EXPECT_FALSE(report.modules.complete);
    EXPECT_FALSE(report.dll_xml_text.present);
    ASSERT_EQ(report.damage.size(), 7u);  // ends early, six sections missing
    EXPECT_EQ(report.damage[1].what, "section \"dll.xml\" missing");
}

TEST(HostileInput, MissingAndMisplacedSectionsAreNamedWithTheirLine)
{
    const std::string text = fixture_report("clean.txt");
    const std::size_t modules = text.find("** Modules directory test");
    const std::size_t dll_xml = text.find("** dll.xml test");
    // The Modules section moved behind the fsx.cfg one.
    const std::string modules_section = text.substr(modules, dll_xml - modules);
    std::string moved = text;
    moved.erase(modules, dll_xml - modules);
    moved.insert(moved.find("** Side by side"), modules_section);
    const Report report = parse_report(moved);
    ASSERT_EQ(report.damage.size(), 2u);
    EXPECT_EQ(report.damage[0].what, "section \"Modules directory\" missing");
    EXPECT_EQ(report.damage[1].what, "section \"Modules directory\" out of order");
    EXPECT_EQ(report.side_by_side.folders.size(), 2u);
}

TEST(HostileInput, AMegabyteLineIsOneLine)
{
    const std::string long_line(1 << 20, 'x');
    std::string text = fixture_report("clean.txt");
    text = replaced(text, "[DISPLAY]", "[" + long_line + "]");
    text = replaced(text, "It started after the last update.", long_line);
    const Report report = parse_report(text);
    EXPECT_TRUE(report.damage.empty());
    EXPECT_EQ(report.customer.description.size(), 44 + long_line.size());
    EXPECT_EQ(report.fsx_cfg.entries.back().section, long_line);
    EXPECT_EQ(report.side_by_side.folders.size(), 2u);
}

TEST(HostileInput, EveryByteValueInEveryFieldIsShownSafely)
{
    std::string every_byte;
    for (int c = 0; c < 256; ++c)
        every_byte += static_cast<char>(c);
    std::string text = fixture_report("clean.txt");
    text = replaced(text, "Ada Lovelace", every_byte);
    text = replaced(text, ". Vok.cfg", ". " + every_byte);
    text = replaced(text, "\t\t-> LangID \t0x9", "\t\t-> " + every_byte + " \t" + every_byte);
    text = replaced(text, "UPPER_FRAMERATE_LIMIT=30", every_byte);
    check_outputs(inspect_text("every byte", text));
    // A whole input of them is no report, and says so.
    const Inspection foreign = inspect_text("foreign", every_byte + every_byte);
    ASSERT_FALSE(foreign.report.damage.empty());
    EXPECT_EQ(foreign.report.damage[0].what, "no Ravelo report: no section banner found");
    check_outputs(foreign);
}

TEST(HostileInput, ADescriptionHoldingReportLinesStaysADescription)
{
    std::string text = fixture_report("clean.txt");
    const std::string forged =
        "help\r\n\r\nOS version:          5.1 build 2600  Windows XP\r\n"
        "** Vok directory test ************************************************\r\n"
        "*                                                                    *\r\n"
        "** Vok directory test ************************************************";
    text = replaced(text, "The fuel gauge of the Vok panel stays dark.\r\nIt started after the last update.",
                    forged);
    const Report report = parse_report(text);
    EXPECT_TRUE(report.damage.empty());
    EXPECT_EQ(report.windows.name, "Windows 7");
    EXPECT_EQ(report.vok.entries.size(), 7u);
    EXPECT_EQ(std::count(report.customer.description.begin(), report.customer.description.end(),
                         '\n'),
              5);
}

TEST(HostileInput, DeepTreesOfLongNamesStayBounded)
{
    // Each entry's path repeats its folders' names: 3,000 levels of
    // 100-character names would hold 450 MB of paths.
    std::string tree;
    const std::string name(100, 'n');
    for (std::size_t depth = 0; depth < 3000; ++depth)
        tree += std::string(depth, '\t') + "O " + name + "\n";
    std::string text = fixture_report("clean.txt");
    text = replaced(text, ". readme.txt", tree.substr(0, tree.size() - 1) + "\n. readme.txt");
    const Report report = parse_report(text);
    EXPECT_LT(report.vok.entries.size(), 400u);
    ASSERT_FALSE(report.damage.empty());
    EXPECT_EQ(report.damage[0].what, "a path longer than Windows allows");
}

TEST(HostileInput, DamageListsAreBounded)
{
    std::string text = fixture_report("clean.txt");
    std::string noise;
    for (int i = 0; i < 1000; ++i)
        noise += "noise\n\n";
    text = replaced(text, "HKEY_CURRENT_USER\\Software", noise + "HKEY_CURRENT_USER\\Software");
    const Report report = parse_report(text);
    EXPECT_EQ(report.damage.size(), max_damage_listed);
    EXPECT_EQ(report.damage_not_listed, 900u);
    check_outputs(inspect_text("noise", text));
}

} // namespace
