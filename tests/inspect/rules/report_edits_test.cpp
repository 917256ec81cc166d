#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A report edit and the findings it must give and must not give; with
// only, the findings it gives are exactly those it must; evidence, when
// set, is the text of one of their evidence lines.
struct Case {
    const char* name;
    std::vector<Edit> edits;
    std::vector<const char*> must, must_not;
    bool only = false;
    const char* evidence = nullptr;
};

const char entry_end[] = "</Launch.Addon>\n";
const char root_end[] = "</SimBase.Document>\n";
const char vok_path[] = "<Path>Modules\\VokPanel.dll</Path>";
const char vok_disabled[] = "<Disabled>False</Disabled>\n    <ManualLoad>";
const char fsx_path[] = "FSX path:            C:\\FSX\\\n";
const char trusted[] = "C:\\FSX\\Modules\\VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz=1\n";

const std::vector<const char*> module_rules = {"module-not-registered", "module-disabled",
                                                "addon-path-missing", "dll-xml-malformed"};

const Case cases[] = {
    // A dll.xml the simulator refuses.
    {"an entry appended after the root",
     {{root_end, "</SimBase.Document>\n<Launch.Addon><Path>Modules\\X.dll</Path></Launch.Addon>\n"}},
     {"dll-xml-malformed"}, {"module-not-registered"}},
    {"two files joined",
     {{root_end, "</SimBase.Document>\n<?xml version=\"1.0\"?>\n<SimBase.Document>"
                 "</SimBase.Document>\n"}},
     {"dll-xml-malformed"}, {}},
    {"text after the root", {{root_end, "</SimBase.Document>\nrubbish\n"}},
     {"dll-xml-malformed"}, {}},
    {"text before the root", {{"<SimBase.Document ", "x <SimBase.Document "}},
     {"dll-xml-malformed"}, {}},
    {"a comment before the declaration", {{"<?xml version", "<!-- by hand -->\n<?xml version"}},
     {"dll-xml-malformed"}, {}},
    {"comments and blank lines around the root are fine",
     {{root_end, "</SimBase.Document>\n\n<!-- written by an installer -->\n\n"}},
     {}, module_rules, true},
    // Layout and case inside the elements.
    {"a path wrapped on its own lines",
     {{vok_path, "<Path>\n      Modules\\VokPanel.dll\r\n    </Path>"}}, {}, module_rules, true},
    {"a wrapped True disables",
     {{vok_disabled, "<Disabled>\n      True\n    </Disabled>\n    <ManualLoad>"}},
     {"module-disabled"}, {"module-not-registered"}},
    {"TRUE in capitals disables", {{vok_disabled, "<Disabled>TRUE</Disabled><ManualLoad>"}},
     {"module-disabled"}, {}},
    {"element names in lower case",
     {{vok_path, "<path>Modules\\VokPanel.dll</path>"},
      {vok_disabled, "<DISABLED>true</DISABLED><ManualLoad>"},
      {"<Launch.Addon>", "<launch.addon>"}, {entry_end, "</launch.addon>\n"}},
     {"module-disabled"}, {"module-not-registered", "dll-xml-malformed"}},
    {"a path in CDATA", {{vok_path, "<Path><![CDATA[Modules\\VokPanel.dll]]></Path>"}},
     {}, module_rules, true},
    // Entries.
    {"a disabled entry of a missing module",
     {{entry_end, "</Launch.Addon>\n<Launch.Addon><Disabled>True</Disabled>"
                  "<Path>Modules\\Gone.dll</Path></Launch.Addon>\n"}},
     {}, module_rules, true},
    {"an enabled entry of a missing module",
     {{entry_end, "</Launch.Addon>\n<Launch.Addon><Path>Modules\\Gone.dll</Path></Launch.Addon>\n"}},
     {"addon-path-missing"}, {}},
    {"an entry of a missing module behind .\\",
     {{entry_end, "</Launch.Addon>\n<Launch.Addon><Path>.\\Modules\\Gone.dll</Path></Launch.Addon>\n"}},
     {"addon-path-missing"}, {}, false, "missing: .\\Modules\\Gone.dll"},
    {"an absolute entry of a missing module",
     {{entry_end, "</Launch.Addon>\n<Launch.Addon><Path>c:\\fsx\\modules\\Gone.dll</Path>"
                  "</Launch.Addon>\n"}},
     {"addon-path-missing"}, {}, false, "missing: c:\\fsx\\modules\\Gone.dll"},
    {"the module behind .\\", {{vok_path, "<Path>.\\Modules\\VokPanel.dll</Path>"}},
     {}, module_rules, true},
    {"the module by its absolute path in lower case",
     {{vok_path, "<Path>c:\\fsx\\modules\\vokpanel.dll</Path>"}}, {}, module_rules, true},
    {"a disabled entry before an enabled one",
     {{"<Launch.Addon>", "<Launch.Addon><Disabled>True</Disabled>"
                         "<Path>Modules\\VokPanel.dll</Path></Launch.Addon>\n  <Launch.Addon>"}},
     {}, module_rules, true},
    {"an enabled entry before a disabled one",
     {{entry_end, "</Launch.Addon>\n<Launch.Addon><Disabled>True</Disabled>"
                  "<Path>Modules\\VokPanel.dll</Path></Launch.Addon>\n"}},
     {}, module_rules, true},
    // Folders Ravelo could not list.
    {"a folder of the add-on too deep to list",
     {{"\t. Vok manual.pdf \t437175ba4191210ee004e1d937494d09\n", "\tPath too long...\n"}},
     {"folder-unlisted"}, {"file-missing"}},
    {"another folder too deep to list",
     {{"\t. fuel.bmp \t96a75bdbf222c58cabde08ebe2172c9f\n"
       "\t. VokPanel.xml \tc16b83e378d1c5a9add2757be8fa4248\n",
       "\tPath too long...\n"}},
     {"folder-unlisted"}, {"file-missing"}},
    {"a file missing beside an unlisted folder still is",
     {{"\t. Vok manual.pdf \t437175ba4191210ee004e1d937494d09\n", "\tPath too long...\n"},
      {". Vok.cfg \t297682423cc5bd642372849ab4b38f13\n", ""}},
     {"folder-unlisted", "file-missing"}, {}},
    {"an entry inside a Modules folder too deep to list",
     {{". terrain.dll \t47afa88cfb198f52733fa3d1f43d7f04\n",
       ". terrain.dll \t47afa88cfb198f52733fa3d1f43d7f04\nO Deep\n\tPath too long...\n"},
      {entry_end,
       "</Launch.Addon>\n<Launch.Addon><Path>Modules\\Deep\\X.dll</Path></Launch.Addon>\n"}},
     {"addon-path-missing", "folder-unlisted"}, {}, false,
     "not checked (outside the listed folders): Modules\\Deep\\X.dll"},
    // The install path.
    {"an install path without its backslash",
     {{fsx_path, "FSX path:            C:\\FSX\n"},
      {"O Gauges\n\t. fuel.bmp \t96a75bdbf222c58cabde08ebe2172c9f\n"
       "\t. VokPanel.xml \tc16b83e378d1c5a9add2757be8fa4248\nO Manuals\n"
       "\t. Vok manual.pdf \t437175ba4191210ee004e1d937494d09\n",
       ""},
      {". readme.txt \t2d23f2fdd0899db069f1f3fa28cd97bd\n", ""},
      {". Vok.cfg \t297682423cc5bd642372849ab4b38f13\n", ""},
      {". VokPanel.dll \t06416233fe5ec4c5933122e4ab248af1\n", ""},
      {". terrain.dll \t47afa88cfb198f52733fa3d1f43d7f04\n", ""}},
     {"install-path-without-backslash"}, {}, true},
    {"another install path without its backslash, its trees listed",
     {{fsx_path, "FSX path:            D:\\Games\\FSX\n"},
      {vok_path, "<Path>D:\\Games\\FSX\\Modules\\VokPanel.dll</Path>"}},
     {"install-path-without-backslash"},
     {"file-missing", "addon-path-missing", "install-path-missing", "module-not-registered"}},
    {"an empty install path", {{fsx_path, "FSX path:            \n"}},
     {"install-path-missing"}, {"install-under-program-files"}},
    {"Program Files on Windows 7",
     {{fsx_path, "FSX path:            C:\\Program Files (x86)\\Microsoft Games\\FSX\\\n"}},
     {"install-under-program-files"}, {}},
    {"PROGRAM FILES in capitals on Vista",
     {{fsx_path, "FSX path:            C:\\PROGRAM FILES\\FSX\\\n"},
      {"6.1 build 7601  Windows 7", "6.0 build 6002  Windows Vista"}},
     {"install-under-program-files"}, {}},
    {"Program Files on Windows XP",
     {{fsx_path, "FSX path:            C:\\Program Files\\Microsoft Games\\FSX\\\n"},
      {"6.1 build 7601  Windows 7", "5.1 build 2600  Windows XP"}},
     {}, {"install-under-program-files"}},
    // Trust.
    {"a stale untrusted entry before the current one",
     {{trusted, "C:\\FSX\\Modules\\VokPanel.dll.oldhasholdhasholdhash=-1\n"
                "C:\\FSX\\Modules\\VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz=1\n"}},
     {}, {"module-untrusted", "module-not-trusted-yet"}, true},
    {"the last entry untrusted",
     {{trusted, "C:\\FSX\\Modules\\VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz=1\n"
                "c:\\fsx\\modules\\vokpanel.dll.newhashnewhashnewhash=-1\n"}},
     {"module-untrusted"}, {}},
    {"one untrusted entry", {{"VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz=1",
                              "VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz=-1"}},
     {"module-untrusted"}, {}},
};

bool found(const std::vector<std::string>& rules, const char* rule)
{
    return std::find(rules.begin(), rules.end(), rule) != rules.end();
}

bool has_evidence(const Inspection& inspection, const std::string& text)
{
    for (const Finding& finding : inspection.findings)
        for (const Evidence& evidence : finding.evidence)
            if (evidence.text == text)
                return true;
    return false;
}

void check_findings(const std::vector<std::string>& rules, const Case& c)
{
    for (const char* rule : c.must)
        EXPECT_TRUE(found(rules, rule)) << rule << " did not fire";
    for (const char* rule : c.must_not)
        EXPECT_FALSE(found(rules, rule)) << rule << " fired";
    if (c.only) {
        EXPECT_EQ(rules.size(), c.must.size()) << testing::PrintToString(rules);
    }
}

TEST(ReportEdits, EachGivesTheFindingsItMustAndNoneItMustNot)
{
    const std::string clean = fixture_report("clean.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Inspection inspection = inspect_text(c.name, edited(clean, c.edits));
        check_findings(rules_found(inspection), c);
        if (c.evidence) {
            EXPECT_TRUE(has_evidence(inspection, c.evidence)) << c.evidence;
        }
    }
}

TEST(ReportEdits, NoInstallPathIsClaimedWithoutEvidence)
{
    const std::string clean = fixture_report("clean.txt");
    const struct {
        const char* name;
        std::string text;
        bool missing;
    } inputs[] = {
        {"cut before its install path", clean.substr(0, clean.find("FSX path:")), false},
        {"cut inside the Windows version", clean.substr(0, clean.find("Service pack:")), false},
        {"no report at all", "Dear support, my panel is dark.\n", false},
        {"cut after an empty install path",
         clean.substr(0, clean.find("FSX path:")) + "FSX path:            \n", true},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        const std::vector<std::string> rules = rules_found(inspect_text(input.name, input.text));
        EXPECT_EQ(found(rules, "install-path-missing"), input.missing);
        EXPECT_TRUE(found(rules, "report-damaged"));
    }
}

// The copied dll.xml replaced by bytes, as the reporter copies them.
std::string with_dll_xml(const std::string& report, const std::string& bytes)
{
    const std::string rule(70, '-');
    const std::size_t begin = report.find(rule, report.find("** dll.xml test")) + rule.size() + 1;
    const std::size_t end = report.find("\n" + rule + "\nEnd of dll.xml", begin) + 1;
    return std::string(report).replace(begin, end - begin, bytes + "\n");
}

std::string clean_dll_xml()
{
    const std::string report = fixture_report("clean.txt");
    const std::string rule(70, '-');
    const std::size_t begin = report.find(rule, report.find("** dll.xml test")) + rule.size() + 1;
    return report.substr(begin, report.find("\n\n" + rule, begin) + 1 - begin);
}

std::string utf16(const std::string& ascii, bool big_endian)
{
    std::string bytes;
    for (char c : ascii)
        bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

struct EncodingCase {
    const char* name;
    std::string bytes;
    bool disabled;
};

TEST(ReportEdits, DllXmlIsReadInTheEncodingItWasSavedIn)
{
    std::string xml = edited(clean_dll_xml(), {{"Windows-1252", "UTF-16"}});
    std::string disabled = edited(xml, {{vok_disabled, "<Disabled>True</Disabled><ManualLoad>"}});
    const std::string crlf = edited(xml, {{"\n", "\r\n"}, {"\n", "\r\n"}});
    const EncodingCase encoding_cases[] = {
        {"UTF-16 LE with its mark", "\xFF\xFE" + utf16(xml, false), false},
        {"UTF-16 BE with its mark", "\xFE\xFF" + utf16(xml, true), false},
        {"UTF-16 LE without a mark", utf16(xml, false), false},
        {"UTF-16 LE with CR LF", "\xFF\xFE" + utf16(crlf, false), false},
        {"UTF-16 LE disabled", "\xFF\xFE" + utf16(disabled, false), true},
        {"UTF-16 BE disabled", utf16(disabled, true), true},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + clean_dll_xml(), false},
    };
    const std::string clean = fixture_report("clean.txt");
    for (const EncodingCase& c : encoding_cases) {
        SCOPED_TRACE(c.name);
        const Inspection inspection = inspect_text(c.name, with_dll_xml(clean, c.bytes));
        ASSERT_TRUE(inspection.report.dll_xml.well_formed) << inspection.report.dll_xml.error;
        ASSERT_EQ(inspection.report.dll_xml.addons.size(), 1u);
        EXPECT_EQ(inspection.report.dll_xml.addons[0].name, "Vok Panel");
        EXPECT_EQ(inspection.report.dll_xml.addons[0].line, 59u);
        EXPECT_EQ(rules_found(inspection),
                  c.disabled ? std::vector<std::string>{"module-disabled"}
                             : std::vector<std::string>{});
    }
}

// The declaration names the encoding in either quotes and any case.
TEST(ReportEdits, UnicodeNamesInDllXmlBecomeTheReportsCodePage)
{
    const struct {
        const char* declared;
        const char* name;  // as written in dll.xml, its closing tag behind
        const char* read;
    } cases[] = {
        {"encoding=\"UTF-8\"", "Vok M\xC3\xBCller</Name>", "Vok M\xFCller"},
        {"encoding='UTF-8'", "Vok M\xC3\xBCller</Name>", "Vok M\xFCller"},
        {"encoding = 'utf8'", "Vok M\xC3\xBCller</Name>", "Vok M\xFCller"},
        {"encoding=\"Windows-1252\"", "Vok M\xC3\xBCller</Name>", "Vok M\xC3\xBCller"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declared + std::string(" ") + c.name);
        const std::string xml = edited(clean_dll_xml(), {{"encoding=\"Windows-1252\"", c.declared},
                                                         {"Vok Panel</Name>", c.name}});
        const Inspection inspection =
            inspect_text("utf-8", with_dll_xml(fixture_report("clean.txt"), xml));
        ASSERT_EQ(inspection.report.dll_xml.addons.size(), 1u);
        EXPECT_EQ(inspection.report.dll_xml.addons[0].name, c.read);
    }
}

TEST(ReportEdits, TheLastOfSeveralTrustEntriesIsNamed)
{
    const Inspection inspection = inspect_text(
        "two", edited(fixture_report("clean.txt"),
                      {{trusted, "C:\\FSX\\Modules\\VokPanel.dll.old=1\n"
                                 "C:\\FSX\\Modules\\VokPanel.dll.new=-1\n"}}));
    ASSERT_EQ(rules_found(inspection), std::vector<std::string>{"module-untrusted"});
    const Finding& finding = inspection.findings[0];
    EXPECT_NE(finding.message.find("2 entries"), std::string::npos) << finding.message;
    EXPECT_EQ(finding.evidence[0].text, "C:\\FSX\\Modules\\VokPanel.dll.new=-1");
}

} // namespace
