#include "desk/diff.h"
#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace {

std::string edited(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string described(const Change& change)
{
    return change.area + " " + change.change + " " + change.subject + " [" + change.before +
           "] [" + change.after + "]";
}

const std::string vok_key =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
const std::string user_key =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";

struct Case {
    const char* name;
    std::string from, to;  // the one edit that makes the new report
    std::vector<std::string> changes;
};

TEST(ReportDiff, EachEditShowsAsItsOneChange)
{
    const Case cases[] = {
        {"nothing changed", "", "", {}},
        {"a file modified",
         ". Vok.cfg \t297682423cc5bd642372849ab4b38f13",
         ". Vok.cfg \t00000000000000000000000000000000",
         {"file changed Vok.cfg [297682423cc5bd642372849ab4b38f13] "
          "[00000000000000000000000000000000]"}},
        {"a file whose case alone changed is the same file",
         ". Vok.cfg \t", ". VOK.CFG \t", {}},
        {"a module file removed", ". terrain.dll \t47afa88cfb198f52733fa3d1f43d7f04\n", "",
         {"module file removed terrain.dll [47afa88cfb198f52733fa3d1f43d7f04] []"}},
        {"an entry disabled",
         "    <Disabled>False</Disabled>\n    <ManualLoad>",
         "    <Disabled>True</Disabled>\n    <ManualLoad>",
         {"dll.xml disabled Modules\\VokPanel.dll (Vok Panel) [enabled] [disabled]"}},
        {"a trusted value changed", "VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz=1",
         "VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz=-1",
         {"trusted changed C:\\FSX\\Modules\\VokPanel.dll.hqbkzkuaazhkqiecwzinrnukclbnauwncbarlnbz "
          "[1] [-1]"}},
        {"an assembly added", "Side-by-side libraries list   : \n",
         "Side-by-side libraries list   : \nO C:\\Windows\\winsxs\\x86_microsoft.vc90.crt_1\\\n"
         "\t. msvcr90.dll \t0123456789abcdef0123456789abcdef\n",
         {"assembly added x86_microsoft.vc90.crt_1 [] []"}},
        {"a registry key removed, its values with it", user_key + "\n\t-> AppPath \tC:\\FSX\\\n",
         "", {"registry key removed " + user_key + " [] []"}},
        {"a registry value changed", "-> LangID \t0x9", "-> LangID \t0x7",
         {"registry value changed " + vok_key + " -> LangID [0x9] [0x7]"}},
        {"the Windows version changed", "6.1 build 7601  Windows 7", "6.1 build 7600  Windows 7",
         {"windows changed  [Windows 7 Service Pack 1 (6.1 build 7601)] "
          "[Windows 7 Service Pack 1 (6.1 build 7600)]"}},
    };
    const std::string old_text = fixture_report("clean.txt");
    const Inspection old_one = inspect_text("old", old_text);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string new_text = c.from.empty() ? old_text : edited(old_text, c.from, c.to);
        const Inspection new_one = inspect_text("new", new_text);
        std::vector<std::string> changes;
        for (const Change& change : diff_reports(old_one, new_one).changes)
            changes.push_back(described(change));
        EXPECT_EQ(changes, c.changes);
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
}

} // namespace
