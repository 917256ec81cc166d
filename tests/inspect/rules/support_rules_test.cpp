#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char rule_id[] = "known-fault";

// A rule with these [rule.if] and [rule.unless] lines (none: no unless)
// against a fixture report, edited first (the first occurrence of each
// from becomes to). When it fires, its first evidence line is expected.
struct Case {
    const char* name;
    const char* report;
    std::vector<std::pair<const char*, const char*>> edits;
    const char* when;
    const char* unless;
    bool fires;
    std::size_t line = 0;
    const char* evidence = "";
};

const char clean[] = "clean.txt";
const char faults[] = "faults_everywhere.txt";
const char cut[] = "cut_by_reporter.txt";  // fsx.cfg and HKEY_CURRENT_USER cut short

// Every add-on file of clean.txt but its manual with another digest; and the manual's line.
const std::vector<std::pair<const char*, const char*>> four_files_changed = {
    {"2d23f2fdd0899db069f1f3fa28cd97bd", "00000000000000000000000000000001"},
    {"96a75bdbf222c58cabde08ebe2172c9f", "00000000000000000000000000000002"},
    {"c16b83e378d1c5a9add2757be8fa4248", "00000000000000000000000000000003"},
    {"297682423cc5bd642372849ab4b38f13", "00000000000000000000000000000004"}};
const char manual[] = "\t. Vok manual.pdf \t437175ba4191210ee004e1d937494d09";

std::vector<std::pair<const char*, const char*>> with(
    std::vector<std::pair<const char*, const char*>> edits, const char* from, const char* to)
{
    edits.emplace_back(from, to);
    return edits;
}

const Case cases[] = {
    {"a Modules file, named in another case", clean, {}, R"(file = 'modules\TERRAIN.DLL')", nullptr,
     true, 42, "file: Modules\\terrain.dll 47afa88cfb198f52733fa3d1f43d7f04"},
    {"a file the report does not list", clean, {}, R"(file = 'Modules\OldAutopilot.dll')", nullptr,
     false},
    {"an add-on file by * and ?", clean, {}, R"(file = 'Vok\Gauges\*.bm?')", nullptr, true, 28,
     "file: Vok\\Gauges\\fuel.bmp 96a75bdbf222c58cabde08ebe2172c9f"},
    {"a folder is no file", clean, {}, R"(file = 'Vok\Gauges')", nullptr, false},
    {"a file under the side-by-side folder", clean, {}, R"(file = 'x86_microsoft.vc80.crt_*\msvcr80.dll')",
     nullptr, true, 110},
    {"a file with its md5, in capitals", clean, {},
     "file = 'Modules\\VokPanel.dll'\nmd5 = '06416233FE5EC4C5933122E4AB248AF1'", nullptr, true, 41,
     "file: Modules\\VokPanel.dll 06416233fe5ec4c5933122e4ab248af1"},
    {"a file with another md5", clean, {},
     "file = 'Modules\\VokPanel.dll'\nmd5 = '06416233fe5ec4c5933122e4ab248af0'", nullptr, false},
    {"an md5 the report could not read", faults, {},
     "file = 'Vok\\Gauges\\fuel.bmp'\nmd5 = '96a75bdbf222c58cabde08ebe2172c9f'", nullptr, false},
    {"the first of two files that fit", clean, {}, R"(file = 'Modules\*.dll')", nullptr, true, 41},
    {"a Modules file listed from a path without its backslash", clean,
     {{"FSX path:            C:\\FSX\\", "FSX path:            C:\\FSX"}}, R"(file = 'Modules\terrain.dll')",
     nullptr, false},
    {"a side-by-side file whatever the install path", clean,
     {{"FSX path:            C:\\FSX\\", "FSX path:            C:\\FSX"}},
     R"(file = 'x86_microsoft.vc80.crt_*\msvcr80.dll')", nullptr, true, 110},
    {"the md5 of the second file that fits", clean, {},
     "file = 'Modules\\*.dll'\nmd5 = '47afa88cfb198f52733fa3d1f43d7f04'", nullptr, true, 42},
    {"a file not accented the same", clean, {{"fuel.bmp", "f\xFC" "el.bmp"}},
     R"(file = 'Vok\Gauges\fuel.bmp')", nullptr, false},
    {"a file named outside ASCII, in another case", clean, {{"fuel.bmp", "f\xFC" "el.bmp"}},
     "file = 'Vok\\GAUGES\\F\xC3\x9C" "EL.BMP'", nullptr, true, 28},
    {"an enabled dll.xml entry", clean, {}, R"(dll_xml = 'modules\vokpanel.dll')", nullptr, true, 59,
     "dll_xml: Modules\\VokPanel.dll"},
    {"a disabled dll.xml entry", faults, {}, R"(dll_xml = 'Modules\VokPanel.dll')", nullptr, false},
    {"an entry by its absolute path", clean,
     {{"<Path>Modules\\VokPanel.dll", "<Path>C:\\FSX\\Modules\\VokPanel.dll"}},
     R"(dll_xml = 'Modules\VokPanel.dll')", nullptr, true, 59, "dll_xml: C:\\FSX\\Modules\\VokPanel.dll"},
    {"an entry only in a comment of dll.xml", clean,
     {{"</SimBase.Document>", "<!-- <Launch.Addon><Path>Modules\\Old.dll</Path></Launch.Addon> -->\n"
                              "</SimBase.Document>"}},
     R"(dll_xml = '*Old.dll')", nullptr, false},
    {"an fsx.cfg line", clean, {}, R"(fsx_cfg = 'display/texture_bandwidth_mult=4?')", nullptr, true, 89,
     "fsx_cfg: DISPLAY/TEXTURE_BANDWIDTH_MULT=40"},
    {"an fsx.cfg key under another section", clean, {}, R"(fsx_cfg = 'Main/TEXTURE_BANDWIDTH_MULT=*')",
     nullptr, false},
    {"a registry key", clean, {}, R"(registry = 'HKEY_LOCAL_MACHINE\*\Flight Simulator\10.0')", nullptr,
     true, 120, "registry: HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0"},
    {"a registry value", clean, {}, R"(registry = 'hkey_current_user\*\AppPath=C:\FSX\')", nullptr, true, 133,
     "registry: HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0\\AppPath=C:\\FSX\\"},
    {"a value of two lines", clean, {{"-> LangID \t0x9", "-> LangID \tfirst\nsecond"}},
     "registry = \"HKEY_LOCAL_MACHINE\\\\*\\\\LangID=first\\nsecond\"", nullptr, true, 122},
    {"a value of another root", clean, {}, R"(registry = 'HKEY_CURRENT_USER\*\SetupPath=*')", nullptr, false},
    {"the Windows version", clean, {}, R"(windows = '6.?')", nullptr, true, 13, "windows: 6.1"},
    {"another Windows version", clean, {}, R"(windows = '5.*')", nullptr, false},
    {"a side-by-side assembly", clean, {}, R"(assembly = 'x86_Microsoft.VC80.CRT_*')", nullptr, true, 107},
    {"the release", clean, {}, R"(release = '1.1')", nullptr, true, 0, "release: 1.1"},
    {"another release", clean, {}, R"(release = '1.0')", nullptr, false},
    {"a release picked though none of its files is there", clean,
     with(four_files_changed, manual, "\t. Vok manual.pdf \t00000000000000000000000000000005"),
     R"(release = '*')", nullptr, false},
    {"unless on a release none of whose files is there", clean,
     with(four_files_changed, manual, "\t. Vok manual.pdf \t00000000000000000000000000000005"),
     R"(windows = '6.1')", R"(release = '1.1')", true, 13},
    {"unless on a release picked from a tree listed in part", clean,
     with(four_files_changed, manual, "\tPath too long..."), R"(windows = '6.1')", R"(release = '1.1')",
     false},
    {"every condition must hold", clean, {}, "file = 'Modules\\terrain.dll'\nwindows = '5.1'", nullptr, false},
    {"evidence in the order of the kinds", clean, {}, "windows = '6.1'\nfile = 'Modules\\terrain.dll'",
     nullptr, true, 42},
    {"unless holds", clean, {}, R"(file = 'Modules\terrain.dll')", R"(windows = '6.*')", false},
    {"unless fails", clean, {}, R"(file = 'Modules\terrain.dll')", R"(windows = '5.*')", true, 42},
    {"unless holds only in part", clean, {}, R"(file = 'Modules\terrain.dll')",
     "windows = '6.1'\nrelease = '1.0'", true, 42},
    {"unless on a whole fsx.cfg", clean, {}, R"(windows = '6.1')", R"(fsx_cfg = 'Trusted/*Old.dll*')",
     true, 13},
    {"unless on an fsx.cfg cut short", cut, {}, R"(windows = '6.1')", R"(fsx_cfg = 'Trusted/*Old.dll*')",
     false},
    {"unless on a registry section cut short", cut, {}, R"(windows = '6.1')",
     R"(registry = 'HKEY_CURRENT_USER\Software\Vok*')", false},
    {"unless on a file under a folder Ravelo could not list", clean,
     {{"\t. Vok manual.pdf \t437175ba4191210ee004e1d937494d09", "\tPath too long..."}}, R"(windows = '6.1')",
     R"(file = 'Vok\Manuals\Old manual.pdf')", false},
    {"unless on an md5 the report could not read", faults, {}, R"(windows = '10.0')",
     "file = 'Vok\\Gauges\\fuel.bmp'\nmd5 = '96a75bdbf222c58cabde08ebe2172c9f'", false},
    // What the report's other parts say is no item of the kind.
    {"a file line typed into the description", clean,
     {{"It started after the last update.", ". OldAutopilot.dll \t06416233fe5ec4c5933122e4ab248af1"}},
     R"(file = '*OldAutopilot.dll')", nullptr, false},
    {"a dll.xml entry in a registry value", clean,
     {{"-> LangID \t0x9", "-> LangID \t<Launch.Addon><Path>Modules\\Old.dll</Path></Launch.Addon>"}},
     R"(dll_xml = '*Old.dll')", nullptr, false},
    {"a registry key in fsx.cfg", clean, {{"[DISPLAY]", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vok=1\n[DISPLAY]"}},
     R"(registry = 'HKEY_LOCAL_MACHINE\SOFTWARE\Vok*')", nullptr, false},
    {"an fsx.cfg line in dll.xml", clean, {{"<Descr>Launch</Descr>", "[Main]\nTEXTURE_MAX_LOAD=12"}},
     R"(fsx_cfg = 'Main/TEXTURE_MAX_LOAD=12')", nullptr, false},
};

std::string edited(std::string text, const std::vector<std::pair<const char*, const char*>>& edits)
{
    for (const auto& [from, to] : edits) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            text.replace(at, std::string(from).size(), to);
    }
    return text;
}

std::string rule_text(const Case& c)
{
    std::string text = std::string("\n[[rule]]\nid = '") + rule_id +
                       "'\nseverity = 'warning'\nmessage = 'A <known> fault & its cure.'\n"
                       "[rule.if]\n" + c.when + "\n";
    if (c.unless)
        text += std::string("[rule.unless]\n") + c.unless + "\n";
    return text;
}

const Finding* finding_of(const Inspection& inspection, const std::string& id)
{
    for (const Finding& finding : inspection.findings)
        if (finding.rule == id)
            return &finding;
    return nullptr;
}

TEST(SupportRules, ConditionsAgainstFixtureReports)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Config config;
        std::string error;
        ASSERT_TRUE(load_config_text(fixture_config_text() + rule_text(c), config, error)) << error;
        const std::string report = edited(fixture_report(c.report), c.edits);
        const Inspection with_rule = inspect_bytes(c.report, report, config);
        const Finding* finding = finding_of(with_rule, rule_id);
        ASSERT_EQ(finding != nullptr, c.fires);
        // The built-in rules find what they find without it.
        std::vector<std::string> others = rules_found(with_rule);
        others.erase(std::remove(others.begin(), others.end(), rule_id), others.end());
        EXPECT_EQ(others, rules_found(inspect_bytes(c.report, report, fixture_config())));
        if (!finding)
            continue;
        EXPECT_EQ(finding->severity, Severity::warning);
        EXPECT_EQ(finding->message, "A <known> fault & its cure.");
        ASSERT_FALSE(finding->evidence.empty());
        EXPECT_EQ(finding->evidence.front().line, c.line);
        if (*c.evidence) {
            EXPECT_EQ(finding->evidence.front().text, c.evidence);
        }
    }
}

// A report with many long registry values, and a thousand rules whose
// piece (HKEY_) every item holds, each then read in full: checking them
// would take minutes on a large report, so they are left unchecked.
TEST(SupportRules, TooCostlyForTheReportLeftUncheckedAndSaid)
{
    std::string values;
    for (int k = 0; k < 300; ++k)
        values += "\tHKEY_LOCAL_MACHINE\\SOFTWARE\\Key" + std::to_string(k) + "\n\t\t-> Data \t" +
                  std::string(1000, 'x') + "\n";
    const std::string grown = "\t-> (default) \t\n" + values;
    const std::string report = edited(fixture_report(clean), {{"\t-> (default) \t\n", grown.c_str()}});
    std::string broad;
    for (int i = 0; i < 1000; ++i)
        broad += "[[rule]]\nid = 'broad-" + std::to_string(i) +
                 "'\nseverity = 'info'\nmessage = 'm'\n[rule.if]\nregistry = 'HKEY_*" +
                 std::string(200, '?') + "Q'\n";
    Config config;
    std::string error;
    ASSERT_TRUE(load_config_text(fixture_config_text() + broad, config, error)) << error;
    const Inspection inspection = inspect_bytes(clean, report, config);
    std::vector<std::string> found = rules_found(inspection);
    ASSERT_EQ(std::count(found.begin(), found.end(), "support-rules-unchecked"), 1);
    EXPECT_EQ(std::count_if(found.begin(), found.end(),
                            [](const std::string& id) { return id.rfind("broad-", 0) == 0; }),
              0);
    found.erase(std::find(found.begin(), found.end(), "support-rules-unchecked"));
    EXPECT_EQ(found, rules_found(inspect_bytes(clean, report, fixture_config())));
    // The same rules on the report as it came are checked.
    const Inspection small = inspect_bytes(clean, fixture_report(clean), config);
    EXPECT_EQ(rules_found(small), rules_found(inspect_bytes(clean, fixture_report(clean), fixture_config())));
}

} // namespace
