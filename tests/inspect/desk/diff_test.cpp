#include "desk/diff.h"
#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

namespace {

std::string described(const Change& change)
{
    return change.area + " " + change.change + " " + change.subject + " [" + change.before +
           "] [" + change.after + "]";
}

std::string described(const Gap& gap)
{
    return gap.area + " " + gap.subject + " [" + gap.old_side + "] [" + gap.new_side + "]";
}

const std::string vok_key =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
const std::string user_key =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
const std::string trusted_key =
    "C:\\FSX\\Modules\\VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz";
const std::string manual_line = "\t. Vok manual.pdf \t437175ba4191210ee004e1d937494d09\n";
const std::string unlisted = "the folder could not be listed (path too long)";
const std::string last_line = "UPPER_FRAMERATE_LIMIT=30\n";
const std::string fsx_cfg_body = trusted_key + "=1\nC:\\FSX\\Modules\\terrain.dll.oeiubzrtnleqz"
                                 "tqrbkcerawekehacrzobhlbtqrn=1\n\n[DISPLAY]\n"
                                 "TEXTURE_BANDWIDTH_MULT=40\n" + last_line + "\n";
const std::string missing = " [] [the section is missing]";
const std::string clean_text = fixture_report("clean.txt");
const std::size_t listing_at = clean_text.find("O C:\\Windows\\winsxs");
const std::string winsxs_listing =
    clean_text.substr(listing_at, clean_text.find("\n\n", listing_at) - listing_at);
const char* const users_key_line = "HKEY_USERS\\S-1-5-21-1004336348-1177238915-682003330-1001";
const std::string users_key = users_key_line;
// Where the last section's banner ends and its first key begins.
const char* const users_banner_end =
    "**********************************************************************\n\nHKEY_USERS";
const std::string users_app_path =
    "-1001\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0\n\t-> AppPath \tC:\\FSX\\";
const Edit users_value_added = {users_app_path, users_app_path + "\n\t-> Zeta \t1"};
const Edit users_key_added = {users_app_path + "\n",
                              users_app_path + "\n" + users_key +
                                  "\\Gone\\Microsoft Games\\Flight Simulator\\10.0\n"};
// A key's values follow its subkeys.
const Edit users_subkey_added = {users_app_path + "\n",
                                 users_app_path + "\n" + users_key + "\\Vok\n\t" + users_key +
                                     "\\Vok\\Panel\n\t\t-> Alpha \t1\n\t-> Omega \t2\n"};
const std::string may_end_early =
    "the report may end early: its last section stops where the other's goes on";
const Edit second_trusted = {last_line, last_line + "\n[Trusted]\n" + trusted_key + "=-1\n"};

// More file lines with a damaged digest than a report lists damage for.
std::string unreadable_lines()
{
    std::string lines;
    for (std::size_t i = 0; i <= max_damage_listed; ++i)
        lines += "\t. stray.txt \t?\n";
    return lines;
}

// What a report cut inside its Basic information does not show; windows:
// the Windows version is lost too.
std::vector<std::string> cut_in_basic_information(bool windows)
{
    std::vector<std::string> gaps = {"file " + missing, "module file " + missing,
                                     "dll.xml " + missing, "trusted " + missing,
                                     "assembly " + missing};
    if (windows)
        gaps.push_back("windows  [] [the Windows version could not be read]");
    gaps.push_back("install path  [] [the install path could not be read]");
    for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"})
        gaps.push_back(std::string("registry ") + root + missing);
    return gaps;
}

struct Case {
    const char* name;
    std::vector<Edit> edits;  // what makes the new report of the clean one
    std::vector<std::string> changes;
    std::vector<std::string> gaps = {};
    std::vector<Edit> old_edits = {};  // what makes the old one
    const char* cut_at = nullptr;      // the new report ends before this
};

const Case cases[] = {
    {"nothing changed", {}, {}},
    {"a file modified", {{"Vok.cfg \t2976", "Vok.cfg \t0000"}},
     {"file changed Vok.cfg [297682423cc5bd642372849ab4b38f13] "
      "[000082423cc5bd642372849ab4b38f13]"}},
    {"a file whose case alone changed is the same file", {{". Vok.cfg \t", ". VOK.CFG \t"}}, {}},
    {"a module file removed", {{". terrain.dll \t47afa88cfb198f52733fa3d1f43d7f04\n", ""}},
     {"module file removed terrain.dll [47afa88cfb198f52733fa3d1f43d7f04] []"}},
    {"an entry disabled",
     {{"<Disabled>False</Disabled>\n    <Man", "<Disabled>True</Disabled><Man"}},
     {"dll.xml disabled Modules\\VokPanel.dll (Vok Panel) [enabled] [disabled]"}},
    {"a trusted value changed", {{trusted_key + "=1", trusted_key + "=-1"}},
     {"trusted changed " + trusted_key + " [1] [-1]"}},
    {"an assembly added",
     {{"list   : \n", "list   : \nO C:\\Windows\\winsxs\\x86_microsoft.vc90.crt_1\\\n"
                     "\t. msvcr90.dll \t0123456789abcdef0123456789abcdef\n"}},
     {"assembly added x86_microsoft.vc90.crt_1 [] []"}},
    {"a registry key removed, its values with it",
     {{user_key + "\n\t-> AppPath \tC:\\FSX\\\n", ""}},
     {"registry key removed " + user_key + " [] []"}},
    {"a registry value changed", {{"-> LangID \t0x9", "-> LangID \t0x7"}},
     {"registry value changed " + vok_key + " -> LangID [0x9] [0x7]"}},
    {"a registry value name whose case alone changed", {{"-> LangID \t", "-> LANGID \t"}}, {}},
    {"the Windows version changed", {{"6.1 build 7601  Windows 7", "6.1 build 7600  Windows 7"}},
     {"windows changed  [Windows 7 Service Pack 1 (6.1 build 7601)] "
      "[Windows 7 Service Pack 1 (6.1 build 7600)]"}},
    {"the install path's case alone changed",
     {{"path:            C:\\FSX\\", "path:            c:\\fsx\\"}}, {}},
    {"the install path changed",
     {{"path:            C:\\FSX\\", "path:            C:\\FSX2\\"}},
     {"install path changed  [C:\\FSX\\] [C:\\FSX2\\]"}},
    // Keys a report holds twice: the simulator goes by the last [Trusted] one.
    {"a second [Trusted] section", {second_trusted},
     {"trusted added " + trusted_key + ", entry 2 [] [-1]"}},
    {"the second of two trusted entries changed",
     {{last_line, last_line + "\n[Trusted]\n" + trusted_key + "=1\n"}},
     {"trusted changed " + trusted_key + ", entry 2 [-1] [1]"}, {}, {second_trusted}},
    // One removed from among duplicates is that one, the others unmoved.
    {"the first of two trusted entries removed", {second_trusted, {trusted_key + "=1\n", ""}},
     {"trusted removed " + trusted_key + ", entry 1 [1] []"}, {}, {second_trusted}},
    {"the middle one of three trusted entries removed",
     {{trusted_key + "=1\n", trusted_key + "=1\n" + trusted_key + "=2\n"}},
     {"trusted removed " + trusted_key + ", entry 2 [0] []"}, {},
     {{trusted_key + "=1\n",
       trusted_key + "=1\n" + trusted_key + "=0\n" + trusted_key + "=2\n"}}},
    {"a duplicate dll.xml entry added",
     {{"</Launch.Addon>\n", "</Launch.Addon>\n<Launch.Addon><Name>Vok Panel</Name><Disabled>True"
                            "</Disabled><Path>modules\\vokpanel.dll</Path></Launch.Addon>\n"}},
     {"dll.xml added modules\\vokpanel.dll (Vok Panel), entry 2 [] [disabled]"}},
    // What a report could not read is neither removed nor added.
    {"a folder listed as too long", {{manual_line, "\tPath too long...\n"}}, {},
     {"file Manuals [] [" + unlisted + "]"}},
    {"a file removed beside an unlisted folder still is",
     {{manual_line, "\tPath too long...\n"},
      {". Vok.cfg \t297682423cc5bd642372849ab4b38f13\n", ""}},
     {"file removed Vok.cfg [297682423cc5bd642372849ab4b38f13] []"},
     {"file Manuals [] [" + unlisted + "]"}},
    {"the tree's root too long to list",
     {{". VokPanel.dll \t06416233fe5ec4c5933122e4ab248af1\n"
       ". terrain.dll \t47afa88cfb198f52733fa3d1f43d7f04\n",
       "Path too long...\n"}},
     {}, {"module file  [] [" + unlisted + "]"}},
    // Without the closing backslash the trees list a sibling folder.
    {"the install path without its closing backslash",
     {{"path:            C:\\FSX\\", "path:            C:\\FSX"},
      {". terrain.dll \t47afa88cfb198f52733fa3d1f43d7f04\n", ""}},
     {"install path changed  [C:\\FSX\\] [C:\\FSX]"},
     {"file  [] [the install path lacks its closing backslash, so another folder was listed]",
      "module file  [] [the install path lacks its closing backslash, so another folder was "
      "listed]"}},
    {"fsx.cfg cut short by the reporter",
     {{fsx_cfg_body, "Can't read file to its end...\n"}}, {},
     {"trusted  [] [the section is cut short]"}},
    {"dll.xml not well-formed", {{"</SimBase.Document>\n", ""}}, {},
     {"dll.xml  [] [dll.xml is not well-formed: its entries cannot be read]"}},
    {"the winsxs folder could not be opened", {{winsxs_listing, "Can't open winsxs directory... "}},
     {}, {"assembly  [] [the winsxs folder could not be opened]"}},
    {"a file line without its digest", {{"Vok.cfg \t2976", "Vok.cfg \t?"}}, {},
     {"file  [] [the section is damaged]"}},
    {"a digest damaged past the damage a report lists",
     {{manual_line, manual_line + unreadable_lines()}, {"Vok.cfg \t2976", "Vok.cfg \t?976"}}, {},
     {"file  [] [the section is damaged]"}},
    {"a stray line inside a tree", {{"O Gauges\n", "O Gauges\nstray\n"}}, {},
     {"file  [] [the section is damaged]"}},
    {"a stray line in a registry section", {{user_key + "\n", "stray\n" + user_key + "\n"}}, {},
     {"registry HKEY_CURRENT_USER [] [the section is damaged]"}},
    {"a registry key that can no longer be read",
     {{"\t-> AppPath \tC:\\FSX\\\n", "Can't find registry entry: " + user_key + "\n"}},
     {"registry key changed " + user_key + " [] [Can't find registry entry: " + user_key + "]"},
     {"registry " + user_key + " [] [the key could not be read]"}},
    {"an unreadable Windows version", {{"7601  Windows 7", "seven"}}, {},
     {"windows  [] [the Windows version could not be read]"}},
    {"the report ends inside the Modules listing", {}, {},
     {"module file  [] [the section is cut short]", "dll.xml " + missing, "trusted " + missing,
      "assembly " + missing, "registry HKEY_LOCAL_MACHINE" + missing,
      "registry HKEY_CURRENT_USER" + missing, "registry HKEY_USERS" + missing},
     {}, ". terrain.dll"},
    {"the report ends inside a registry value", {}, {},
     {"registry HKEY_CURRENT_USER [] [the section is damaged]", "registry HKEY_USERS" + missing},
     {}, "FSX\\\n\n\n** HKEY_USERS"},
    {"the report ends inside fsx.cfg's closing lines", {second_trusted}, {},
     {"trusted  [] [the section is damaged]", "assembly " + missing,
      "registry HKEY_LOCAL_MACHINE" + missing, "registry HKEY_CURRENT_USER" + missing,
      "registry HKEY_USERS" + missing},
     {second_trusted}, "nd of fsx.cfg reached."},
    {"the report ends inside a server's warning line",
     {{"Service Pack 1\n", "Service Pack 1\nOS is not WORKSTATION type!\n"}}, {},
     cut_in_basic_information(true), {}, "WORKSTATION"},
    {"the report ends before its service pack", {}, {}, cut_in_basic_information(true), {},
     "Service pack:"},
    {"the report ends before its install path", {}, {}, cut_in_basic_information(false), {},
     "FSX path:"},
    // The last section has no closing line: only a banner cut short, or
    // the other report going on where it stops, shows it may be cut.
    {"the report ends inside the last section's banner", {}, {},
     {"registry HKEY_USERS [] [the section is cut short]"}, {}, users_banner_end},
    {"the report ends at a line end before the last section's first key", {}, {},
     {"registry HKEY_USERS [] [" + may_end_early + "]"}, {}, users_key_line},
    {"the report ends at a line end inside the last section's last key",
     {users_value_added}, {}, {"registry HKEY_USERS [] [" + may_end_early + "]"},
     {users_value_added}, "\t-> Zeta"},
    {"the report ends at a line end before a key's values, behind its subkeys",
     {users_subkey_added}, {}, {"registry HKEY_USERS [] [" + may_end_early + "]"},
     {users_subkey_added}, "\t-> Omega"},
    {"a value of the last section changed", {{users_app_path, users_app_path + "2"}},
     {"registry value changed " + users_key + "\\Software\\Microsoft\\Microsoft Games\\"
      "Flight Simulator\\10.0 -> AppPath [C:\\FSX\\] [C:\\FSX\\2]"}},
    {"a key removed before the last key of the last section",
     {users_key_added, {users_key + users_app_path.substr(5) + "\n", ""}},
     {"registry key removed " + users_key + "\\Software\\Microsoft\\Microsoft Games\\"
      "Flight Simulator\\10.0 [] []"},
     {}, {users_key_added}},
    // A banner damaged past finding ends the body before it: the next
    // section's lines are not read as the data of a value.
    {"the title of a registry section's banner damaged",
     {{"** HKEY_CURRENT_USER enumeration", "#* HKEY_CURRENT_USER enumeration"}}, {},
     {"registry HKEY_LOCAL_MACHINE [] [the section is damaged]",
      "registry HKEY_CURRENT_USER" + missing}},
    {"a filler line of the last section's banner damaged",
     {{"** HKEY_USERS enumeration ********************************************\n*",
       "** HKEY_USERS enumeration ********************************************\n#"}},
     {},
     {"registry HKEY_CURRENT_USER [] [the section is damaged]", "registry HKEY_USERS" + missing}},
};

TEST(ReportDiff, EachEditShowsAsItsChangesAndWhatCannotBeCompared)
{
    const std::string clean = fixture_report("clean.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Inspection old_one = inspect_text("old", edited(clean, c.old_edits));
        std::string new_text = edited(clean, c.edits);
        if (c.cut_at)
            new_text.resize(new_text.find(c.cut_at));
        const Inspection new_one = inspect_text("new", new_text);
        const ReportDiff diff = diff_reports(old_one, new_one);
        std::vector<std::string> changes, gaps;
        for (const Change& change : diff.changes)
            changes.push_back(described(change));
        for (const Gap& gap : diff.gaps)
            gaps.push_back(described(gap));
        EXPECT_EQ(changes, c.changes);
        EXPECT_EQ(gaps, c.gaps);
        // Each way round, the same gaps with their sides swapped.
        const ReportDiff back = diff_reports(new_one, old_one);
        ASSERT_EQ(back.gaps.size(), diff.gaps.size());
        for (std::size_t i = 0; i < diff.gaps.size(); ++i) {
            EXPECT_EQ(back.gaps[i].old_side, diff.gaps[i].new_side);
            EXPECT_EQ(back.gaps[i].new_side, diff.gaps[i].old_side);
        }
        EXPECT_EQ(back.changes.size(), diff.changes.size());
    }
}

TEST(ReportDiff, FindingsAreFixedNewOrStillThere)
{
    const Inspection clean = inspect_text("clean", fixture_report("clean.txt"));
    const Inspection faulty = inspect_text("faulty", fixture_report("faults_everywhere.txt"));
    const Inspection unregistered =
        inspect_text("unregistered", fixture_report("unregistered_module.txt"));
    ASSERT_FALSE(faulty.findings.empty());
    const ReportDiff worse = diff_reports(clean, faulty);
    EXPECT_EQ(worse.found.size(), faulty.findings.size());
    EXPECT_TRUE(worse.fixed.empty());
    const ReportDiff better = diff_reports(faulty, clean);
    EXPECT_EQ(better.fixed.size(), faulty.findings.size());
    EXPECT_TRUE(better.found.empty());
    const ReportDiff same = diff_reports(unregistered, unregistered);
    EXPECT_EQ(same.still.size(), unregistered.findings.size());
    EXPECT_TRUE(same.changes.empty());
}

// A finding gone is fixed only where the new report shows what its rule
// reads; what it lacks elsewhere does not matter.
TEST(ReportDiff, AFindingGoneWhereTheNewReportCannotShowItIsUnsure)
{
    const std::string untrusted = edited(fixture_report("clean.txt"),
                                         {{trusted_key + "=1", trusted_key + "=-1"}});
    const Inspection old_one = inspect_text("old", untrusted);
    ASSERT_EQ(rules_found(old_one), std::vector<std::string>{"module-untrusted"});
    const struct {
        const char* name;
        std::string new_text;
        std::vector<std::string> fixed, unsure;
    } cases[] = {
        {"trusted again", fixture_report("clean.txt"), {"module-untrusted"}, {}},
        {"fsx.cfg cut short",
         edited(fixture_report("clean.txt"), {{fsx_cfg_body, "Can't read file to its end...\n"}}),
         {}, {"module-untrusted"}},
        {"a folder unlisted, fsx.cfg whole",
         edited(fixture_report("clean.txt"), {{manual_line, "\tPath too long...\n"}}),
         {"module-untrusted"}, {}},
        {"the report ends before fsx.cfg", untrusted.substr(0, untrusted.find("** fsx.cfg")), {},
         {"module-untrusted"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportDiff diff = diff_reports(old_one, inspect_text("new", c.new_text));
        std::vector<std::string> fixed, unsure;
        for (const Finding* finding : diff.fixed)
            fixed.push_back(finding->rule);
        for (const Finding* finding : diff.unsure)
            unsure.push_back(finding->rule);
        EXPECT_EQ(fixed, c.fixed);
        EXPECT_EQ(unsure, c.unsure);
        EXPECT_TRUE(diff.still.empty());
    }
}

// A finding new in the new report is new only where the old one shows
// whole what its rule reads; a finding about the report itself reads none
// of the installation.
TEST(ReportDiff, AFindingTheOldReportCouldNotShowIsUnseenRatherThanNew)
{
    const std::string clean = fixture_report("clean.txt");
    const std::string untrusted = edited(clean, {{trusted_key + "=1", trusted_key + "=-1"}});
    const std::string fsx_cfg_cut =
        edited(clean, {{fsx_cfg_body, "Can't read file to its end...\n"}});
    const std::string unlisted_folder = edited(clean, {{manual_line, "\tPath too long...\n"}});
    const struct {
        const char* name;
        std::string old_text, new_text;
        std::vector<std::string> fixed, found, unseen;
    } cases[] = {
        {"the old report whole", clean, untrusted, {}, {"module-untrusted"}, {}},
        {"the old report's fsx.cfg cut short", fsx_cfg_cut, untrusted, {"section-cut-short"}, {},
         {"module-untrusted"}},
        {"a folder unlisted in the old report, fsx.cfg whole", unlisted_folder, untrusted,
         {"folder-unlisted"}, {"module-untrusted"}, {}},
        {"the old report ends before fsx.cfg", clean.substr(0, clean.find("** fsx.cfg")),
         untrusted, {"report-damaged"}, {}, {"module-untrusted"}},
        {"a cut section seen where the old report lacks a folder", unlisted_folder, fsx_cfg_cut,
         {"folder-unlisted"}, {"section-cut-short"}, {}},
    };
    const auto rules = [](const std::vector<const Finding*>& findings) {
        std::vector<std::string> ids;
        for (const Finding* finding : findings)
            ids.push_back(finding->rule);
        return ids;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Inspection old_one = inspect_text("old", c.old_text);
        const Inspection new_one = inspect_text("new", c.new_text);
        const ReportDiff diff = diff_reports(old_one, new_one);
        EXPECT_EQ(rules(diff.fixed), c.fixed);
        EXPECT_EQ(rules(diff.found), c.found);
        EXPECT_EQ(rules(diff.unseen), c.unseen);
        std::ostringstream text, json;
        write_diff_text(old_one, new_one, diff, text);
        write_diff_json(old_one, new_one, diff, json);
        nlohmann::json unseen = nlohmann::json::parse(json.str())["findings"]["unseen"];
        EXPECT_EQ(unseen.size(), c.unseen.size()) << json.str();
        for (std::size_t i = 0; i < c.unseen.size() && i < unseen.size(); ++i) {
            EXPECT_EQ(unseen[i]["rule"], c.unseen[i]);
            EXPECT_NE(text.str().find("\n  unseen " + c.unseen[i] + ": "), std::string::npos)
                << text.str();
        }
    }
}

// Text shows before and after of a change even where one side is empty,
// as the JSON does, so that neither can be taken for the other.
TEST(ReportDiff, AChangeShowsBothSidesWhereOneIsEmpty)
{
    const std::string clean = fixture_report("clean.txt");
    const std::string unreadable = edited(
        clean, {{"\t-> AppPath \tC:\\FSX\\\n", "Can't find registry entry: " + user_key + "\n"}});
    const std::string with_default =
        edited(clean, {{"\t-> (default) \t\n", "\t-> (default) \tx\n"}});
    const struct {
        const char* name;
        std::string old_text, new_text, line, before, after;
    } cases[] = {
        {"a value's data set", clean, with_default, "\n      (none) -> x\n", "", "x"},
        {"a value's data emptied", with_default, clean, "\n      x -> (none)\n", "x", ""},
        {"a key read again", unreadable, clean,
         "\n      Can't find registry entry: " + user_key + " -> (none)\n",
         "Can't find registry entry: " + user_key, ""},
        {"a key no longer read", clean, unreadable,
         "\n      (none) -> Can't find registry entry: " + user_key + "\n", "",
         "Can't find registry entry: " + user_key},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Inspection old_one = inspect_text("old", c.old_text);
        const Inspection new_one = inspect_text("new", c.new_text);
        const ReportDiff diff = diff_reports(old_one, new_one);
        std::ostringstream text, json;
        write_diff_text(old_one, new_one, diff, text);
        EXPECT_NE(text.str().find(c.line), std::string::npos) << text.str();
        write_diff_json(old_one, new_one, diff, json);
        const nlohmann::json changes = nlohmann::json::parse(json.str())["changes"];
        EXPECT_EQ(changes.size(), 1u) << changes.dump();
        if (changes.size() != 1)
            continue;
        EXPECT_EQ(changes[0]["change"], "changed");
        EXPECT_EQ(changes[0]["before"], c.before);
        EXPECT_EQ(changes[0]["after"], c.after);
    }
}

TEST(ReportDiff, JsonHoldsEveryPart)
{
    const Inspection clean = inspect_text("clean", fixture_report("clean.txt"));
    const Inspection faulty = inspect_text("faulty", fixture_report("faults_everywhere.txt"));
    const ReportDiff diff = diff_reports(clean, faulty);
    std::ostringstream out;
    write_diff_json(clean, faulty, diff, out);
    const nlohmann::json document = nlohmann::json::parse(out.str());
    EXPECT_EQ(document["findings"]["new"].size(), diff.found.size());
    EXPECT_EQ(document["changes"].size(), diff.changes.size());
    EXPECT_EQ(document["release"]["before"], "1.1");
    const nlohmann::json fuel = {{"area", "file"},
                                 {"change", "changed"},
                                 {"subject", "Gauges\\fuel.bmp"},
                                 {"before", "96a75bdbf222c58cabde08ebe2172c9f"},
                                 {"after", "unreadable"}};
    EXPECT_NE(std::find(document["changes"].begin(), document["changes"].end(), fuel),
              document["changes"].end())
        << document["changes"].dump();
}

// File names come from the command line as UTF-8; report text is
// Windows-1252. Each side of a gap names its own report.
TEST(ReportDiff, TextAndJsonNameTheFilesAsGivenAndEachGapsSide)
{
    const std::string clean = fixture_report("clean.txt");
    const std::string old_text = edited(
        clean, {{manual_line, "\tPath too long...\n"}, {trusted_key + "=1", trusted_key + "=-1"}});
    const Inspection old_one = inspect_text("f\xC3\xBCr M\xC3\xBCller.dat", old_text);
    const Inspection new_one = inspect_text(
        "neu\x1b[2J\xE9.dat", edited(clean, {{fsx_cfg_body, "Can't read file to its end...\n"}}));
    const ReportDiff diff = diff_reports(old_one, new_one);
    std::ostringstream text, json;
    write_diff_text(old_one, new_one, diff, text);
    const std::string lines[] = {
        "Old       f\xC3\xBCr M\xC3\xBCller.dat\nNew       neu\\x1b[2J\\xe9.dat\n",
        "\n  unsure module-untrusted: ", "\n0 change(s)",
        "\n  file: Manuals\n      old report: " + unlisted + "\n  trusted\n      new report: "};
    for (const std::string& line : lines)
        EXPECT_NE(text.str().find(line), std::string::npos) << line << "\n" << text.str();
    write_diff_json(old_one, new_one, diff, json);
    const nlohmann::json document = nlohmann::json::parse(json.str());
    EXPECT_EQ(document["old"], "f\xC3\xBCr M\xC3\xBCller.dat");
    EXPECT_EQ(document["findings"]["unsure"].size(), 1u);
    EXPECT_EQ(document["not_comparable"],
              nlohmann::json::parse(R"([{"area":"file","subject":"Manuals","old":")" + unlisted +
                                    R"(","new":null},{"area":"trusted","subject":"","old":null,)"
                                    R"("new":"the section is cut short"}])"));
}

} // namespace
