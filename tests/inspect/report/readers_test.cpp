#include "audit/manifest.h"
#include "output/display_text.h"
#include "output/outputs.h"
#include "report/config_files.h"
#include "report/parser.h"
#include "rules/helpers.h"
#include "tests/inspect/inspect_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct ModulePathCase {
    const char* install_path;
    const char* path;
    bool names_it;
};

const ModulePathCase module_path_cases[] = {
    {"C:\\FSX\\", "Modules\\VokPanel.dll", true},
    {"C:\\FSX\\", "modules/vokpanel.DLL", true},
    {"C:\\FSX\\", ".\\Modules\\VokPanel.dll", true},
    {"C:\\FSX\\", "c:\\fsx\\Modules\\VokPanel.dll", true},
    {"C:\\FSX\\", "D:\\FSX\\Modules\\VokPanel.dll", false},
    {"C:\\FSX\\", "Modules\\VokPanel.dll.bak", false},
    {"C:\\FSX\\", "Modules\\XVokPanel.dll", false},
    {"", "E:\\Games\\FSX\\Modules\\VokPanel.dll", true},
    {"", "E:\\Games\\FSX\\Modules\\MyVokPanel.dll", false},
};

TEST(Readers, ModulePathsCompareAsWindowsDoes)
{
    Config config;
    config.module = "Modules\\VokPanel.dll";
    for (const ModulePathCase& c : module_path_cases) {
        Report report;
        report.install_path = c.install_path;
        EXPECT_EQ(names_module(c.path, report, config), c.names_it)
            << c.install_path << " + " << c.path;
    }
}

struct WindowsCase {
    unsigned major, minor, build;
    const char* name;
};

const WindowsCase windows_cases[] = {
    {6, 3, 9600, "Windows 8.1"},
    {10, 0, 19045, "Windows 10"},
    {10, 0, 21999, "Windows 10"},
    {10, 0, 22000, "Windows 11"},
    {6, 4, 9841, ""},
    {0, 0, 0, ""},
};

TEST(Readers, WindowsVersionsBeyondTheReportsTableGetTheirNames)
{
    for (const WindowsCase& c : windows_cases) {
        WindowsVersion windows;
        windows.major = c.major;
        windows.minor = c.minor;
        windows.build = c.build;
        EXPECT_EQ(windows_name(windows), c.name) << c.major << "." << c.minor << " " << c.build;
    }
}

TEST(Readers, FsxCfgAsTheSimulatorWritesIt)
{
    EchoedFile file;
    file.first_line = 10;
    file.text = "[Trusted]\n  C:\\A.dll.x = -1 \n[ Main ]\nNoValue\nkey==2\n\n; note\n"
                "[TRUSTED]\nC:\\B.dll.y=1\r\n";
    const FsxCfg cfg = read_fsx_cfg(file);
    ASSERT_EQ(cfg.entries.size(), 4u);
    EXPECT_EQ(cfg.entries[0].key, "C:\\A.dll.x");
    EXPECT_EQ(cfg.entries[0].value, "-1");
    EXPECT_EQ(cfg.entries[0].line, 11u);
    EXPECT_EQ(cfg.entries[1].section, "Main");
    EXPECT_FALSE(cfg.entries[1].has_value);
    EXPECT_EQ(cfg.entries[2].value, "=2");
    EXPECT_EQ(cfg.entries[3].section, "TRUSTED");
    EXPECT_EQ(cfg.entries[3].value, "1");
}

TEST(Readers, ManifestOfAFolderReadsBackAndAuditsItsOwnTree)
{
    ScratchDirectory scratch;
    std::filesystem::create_directories(scratch.path() / "Gauges" / "Sub");
    write_file_bytes(scratch.path() / "readme.txt", "");
    write_file_bytes(scratch.path() / "Gauges" / "Sub" / "a.bin", "abc");
    std::ostringstream list;
    std::string error;
    ASSERT_TRUE(write_manifest(scratch.path().string(), list, error)) << error;
    EXPECT_EQ(list.str(), "900150983cd24fb0d6963f7d28e17f72  Gauges\\Sub\\a.bin\n"
                          "d41d8cd98f00b204e9800998ecf8427e  readme.txt\n");
    write_file_bytes(scratch.path() / "r.md5", list.str());
    Manifest manifest;
    ASSERT_TRUE(read_manifest(scratch.file("r.md5"), manifest, error)) << error;
    ASSERT_EQ(manifest.files.size(), 2u);
    EXPECT_EQ(manifest.files[0].first, "Gauges\\Sub\\a.bin");

    write_file_bytes(scratch.path() / "bad.md5", "not a digest  file\n");
    EXPECT_FALSE(read_manifest(scratch.file("bad.md5"), manifest, error));
    EXPECT_NE(error.find("bad.md5:1:"), std::string::npos) << error;
}

TEST(Readers, TheBestMatchingReleaseIsChosen)
{
    const Inspection newer = inspect_text("clean", fixture_report("clean.txt"));
    EXPECT_EQ(newer.report.files.release, "1.1");
    // The same tree with release 1.0's readme, configuration and panel.
    std::string text = fixture_report("clean.txt");
    const std::pair<const char*, const char*> older_digests[] = {
        {"2d23f2fdd0899db069f1f3fa28cd97bd", "353a66b9b451aa80113468a4e89760a1"}, {"297682423cc5bd642372849ab4b38f13", "d6ee883cbd6373c64763292a9a884d1f"}, {"c16b83e378d1c5a9add2757be8fa4248", "18c682786a650de26a0f0ae001575972"}};
    for (const auto& [from, to] : older_digests)
        text.replace(text.find(from), 32, to);
    const Inspection older = inspect_text("older", text);
    EXPECT_EQ(older.report.files.release, "1.0");
    ASSERT_EQ(older.report.files.files.size(), 6u);
    EXPECT_EQ(older.report.files.files.back().path, "Gauges\\old.bmp");
    EXPECT_EQ(older.report.files.files.back().status, FileStatus::missing);
}

TEST(Readers, AnUnlistedSideBySideFolderIsAWarningNotAnError)
{
    std::string text = fixture_report("clean.txt");
    const std::size_t from = text.find("O C:\\Windows\\winsxs");
    text.replace(from, text.find("\n\n", from) - from, "Can't open winsxs directory... ");
    const Inspection inspection = inspect_text("unlisted", text);
    ASSERT_EQ(rules_found(inspection),
              (std::vector<std::string>{"simconnect-missing", "vc-runtime-missing"}));
    for (const Finding& finding : inspection.findings) {
        EXPECT_EQ(finding.severity, Severity::warning);
        EXPECT_EQ(finding.evidence[0].line, 105u);
    }
}

struct ShownCase {
    const char* report_bytes;
    const char* printable;
    const char* html;
};

const ShownCase shown_cases[] = {
    {"plain", "plain", "plain"},
    {"\x1b[31mred\x7f", "\\x1b[31mred\\x7f", "\\x1b[31mred\\x7f"},
    {"tab\tline\nfeed\r", "tab\\x09line\\x0afeed\\x0d", "tab\\x09line\\x0afeed\\x0d"},
    {"\x80 \x9f \xe9 \xff", "\u20ac \u0178 \u00e9 \u00ff", "\u20ac \u0178 \u00e9 \u00ff"},
    {"\x81\x9d", "\\x81\\x9d", "\\x81\\x9d"},
    {"<a href='x'>\"&\"</a>", "<a href='x'>\"&\"</a>",
     "&lt;a href=&#39;x&#39;&gt;&quot;&amp;&quot;&lt;/a&gt;"},
};

TEST(Readers, ReportBytesAreShownAsWindows1252WithControlsEscaped)
{
    for (const ShownCase& c : shown_cases) {
        EXPECT_EQ(printable(c.report_bytes), c.printable) << c.report_bytes;
        EXPECT_EQ(html_escaped(c.report_bytes), c.html) << c.report_bytes;
    }
}

TEST(Readers, AReleaseTieGoesToTheOneWithFewerDifferingFiles)
{
    // Only the two files both releases share keep their digests: 1.0 then
    // differs in four files, 1.1 in three.
    std::string text = fixture_report("clean.txt");
    for (const char* digest : {"2d23f2fdd0899db069f1f3fa28cd97bd", "297682423cc5bd642372849ab4b38f13",
                               "c16b83e378d1c5a9add2757be8fa4248"})
        text.replace(text.find(digest), 32, std::string(32, '0'));
    EXPECT_EQ(inspect_text("tie", text).report.files.release, "1.1");
}

TEST(Readers, ManifestNamesOutsideAsciiMatchTheReportsCodePage)
{
    ScratchDirectory scratch;
    std::filesystem::create_directories(scratch.path() / "addon" / "Manuals");
    write_file_bytes(scratch.path() / "addon" / "Manuals" / "Handbuch f\xC3\xBCr Vok.pdf", "abc");
    write_file_bytes(scratch.path() / "addon" / "\xC3\x9C.txt", "");
    std::ostringstream list;
    std::string error;
    ASSERT_TRUE(write_manifest((scratch.path() / "addon").string(), list, error)) << error;
    std::filesystem::create_directories(scratch.path() / "manifests");
    write_file_bytes(scratch.path() / "manifests" / "M\xC3\xBCller 2.md5", list.str());
    Config config = fixture_config();
    config.manifests.clear();
    ASSERT_TRUE(load_manifests((scratch.path() / "manifests").string(), config.manifests, error));
    // The report's names are Windows-1252; the second in other case, as
    // Windows lists it for a file installed as "\xC3\x9C.txt".
    std::string text = fixture_report("clean.txt");
    const std::string tree_start = ". readme.txt";
    text.replace(text.find(tree_start), text.find("\n\n\n** Modules") - text.find(tree_start),
                 ". \xFC.TXT \td41d8cd98f00b204e9800998ecf8427e\nO Manuals\n"
                 "\t. Handbuch f\xFCr Vok.pdf \t900150983cd24fb0d6963f7d28e17f72");
    const Inspection inspection = inspect_bytes("umlaut", text, config);
    EXPECT_EQ(inspection.report.files.release, "M\xFCller 2");
    ASSERT_EQ(inspection.report.files.files.size(), 2u);
    for (const AuditedFile& file : inspection.report.files.files)
        EXPECT_EQ(file.status, FileStatus::ok) << file.path;
    std::ostringstream row;
    write_summary_row(inspection, row);
    EXPECT_NE(row.str().find("\tM\xC3\xBCller 2\t"), std::string::npos) << row.str();
}

TEST(Readers, RegistryValuesBelongToTheKeyOneTabShallower)
{
    const std::string text = fixture_report("clean.txt");
    const std::string hklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator";
    std::string deeper = text;
    deeper.replace(deeper.find("\t-> (default) \t\n"), 15,
                   "\t\t" + hklm + "\\10.0\\Sub\n\t\t\t-> Inner \t1\n\t\t-> LangID2 \t0x9\n"
                   "\t-> (default) \t\n");
    const struct {
        const char* name;
        std::string text;
        std::vector<std::vector<std::string>> values;  // per key, in order
    } cases[] = {
        {"clean", text, {{"(default)"}, {"SetupPath", "LangID"}}},
        {"a subkey between values", deeper,
         {{"(default)"}, {"SetupPath", "LangID", "LangID2"}, {"Inner"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RegistrySection& section = parse_report(c.text).registry[0];
        ASSERT_EQ(section.keys.size(), c.values.size());
        for (std::size_t k = 0; k < c.values.size(); ++k) {
            std::vector<std::string> names;
            for (const RegistryValue& value : section.keys[k].values)
                names.push_back(value.name);
            EXPECT_EQ(names, c.values[k]) << section.keys[k].path;
        }
    }
}

TEST(Readers, ADecodedReportAsAWindowsEditorSavesItIsRead)
{
    for (const char* name : {"clean.txt", "faults_everywhere.txt"}) {
        const std::string text = fixture_report(name);
        const Inspection original = inspect_text(name, text);
        std::string crlf;
        for (char c : text)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const std::string& edited : {crlf, "\xEF\xBB\xBF" + text, "\xEF\xBB\xBF" + crlf}) {
            SCOPED_TRACE(std::string(name) + (edited.size() > text.size() + 3 ? " CR LF" : " BOM"));
            const Inspection inspection = inspect_text(name, edited);
            EXPECT_EQ(inspection.error, "");
            EXPECT_EQ(rules_found(inspection), rules_found(original));
            EXPECT_EQ(inspection.report.customer.description, original.report.customer.description);
        }
    }
}

TEST(Readers, SummaryColumnsHoldWhateverTheReportSays)
{
    std::string text = fixture_report("clean.txt");
    text.replace(text.find("Ada Lovelace"), 12, "Ada\tLove\x1blace");
    const Inspection inspection = inspect_text("M\xC3\xBCller.txt", text);
    std::ostringstream row, summary;
    write_summary_row(inspection, row);
    write_text(inspection, summary);
    const std::string columns = row.str();
    EXPECT_EQ(columns.rfind("M\xC3\xBCller.txt\tAda\\x09Love\\x1blace\t", 0), 0u) << columns;
    EXPECT_EQ(std::count(columns.begin(), columns.end(), '\t'), 7);
    EXPECT_EQ(summary.str().rfind("Report    M\xC3\xBCller.txt\n", 0), 0u) << summary.str();
}

TEST(Readers, NamesCompareWithoutRegardToCaseInWindows1252)
{
    EXPECT_TRUE(same_text("\xDC\x8A\x9F", "\xFC\x9A\xFF"));
    EXPECT_FALSE(same_text("\xD7", "\xF7"));  // multiplication and division signs
    EXPECT_FALSE(same_text("ab", "abc"));
}

} // namespace
