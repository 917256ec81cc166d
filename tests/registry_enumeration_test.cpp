#include "registry_fixture.h"
#include "scan/registry_enumeration.h"
#include "scan/report.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <initializer_list>
#include <string>

namespace {

// Lines, each ended with a line feed as the report ends them.
std::string lines(std::initializer_list<std::string> each)
{
    std::string text;
    for (const std::string& line : each)
        text += line + "\n";
    return text;
}

// The silent walk of the fixture's base, as the scan starts one at a root.
std::string walk(const RegistryFixture& keys)
{
    enumerate_registry(keys.root(), keys.path().c_str(), 0, false);
    return take_report();
}

class RegistryWalk : public testing::Test {
protected:
    void SetUp() override { take_report(); }
    void TearDown() override { take_report(); }
};

struct KeywordCase {
    const char* text;
    bool matches;
};

const KeywordCase keyword_cases[] = {
    {"fsx", true},
    {"FSX", true},
    {"xxFsXxx", true},
    {"D:\\FSX\\Addons", true},
    {"SimConnect", true},
    // A Turkish locale would fold this I to a dotless i.
    {"SIMCONNECT", true},
    {"FlightSimulator", true},
    {"Microsoft Flight Simulator X", true},
    {"flight  simulator", false},
    {"flight_simulator", false},
    {"flight\tsimulator", false},
    {"fs x", false},
    {"simconect", false},
    {"fs", false},
    {"", false},
};

// The worked example with the values of each key set in name order, so
// that Windows (order of setting) and Wine (sorted) give them alike.
void plant_worked_example(const RegistryFixture& keys)
{
    const std::string simulator = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator";
    keys.set_text(simulator, "", "x");
    keys.set_value(simulator + "\\10.0", "", REG_SZ, "", 1);
    keys.set_text(simulator + "\\10.0", "SetupPath", "C:\\FSX\\");
    keys.set_text("SOFTWARE\\Vendor\\Kit", "Path", "D:\\fsx\\addons");
    keys.set_dword("SOFTWARE\\Vendor\\Kit\\Sub", "Mode", 31);
    keys.set_dword("SOFTWARE\\Vendor\\Kit\\SimConnect", "Port", 500);
}

} // namespace

TEST(MatchesKeyword, FoldsOnlyTheLettersAToZ)
{
    for (const KeywordCase& c : keyword_cases)
        EXPECT_EQ(matches_keyword(c.text), c.matches) << '"' << c.text << '"';
}

TEST(MatchesKeyword, LeavesTheTextUnchanged)
{
    char text[] = "Flight Simulator";
    EXPECT_TRUE(matches_keyword(text));
    EXPECT_STREQ(text, "Flight Simulator");
}

TEST(HiveName, NamesThePredefinedRoots)
{
    EXPECT_STREQ(hive_name(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE");
    EXPECT_STREQ(hive_name(HKEY_CURRENT_USER), "HKEY_CURRENT_USER");
    EXPECT_STREQ(hive_name(HKEY_USERS), "HKEY_USERS");
    EXPECT_STREQ(hive_name(HKEY_CURRENT_CONFIG), "HKEY_CURRENT_CONFIG");
    EXPECT_STREQ(hive_name(HKEY_PERFORMANCE_DATA), "HKEY_PERFORMANCE_DATA");
    EXPECT_STREQ(hive_name(HKEY_PERFORMANCE_TEXT), "HKEY_PERFORMANCE_TEXT");
    EXPECT_STREQ(hive_name(HKEY_PERFORMANCE_NLSTEXT), "HKEY_PERFORMANCE_NLSTEXT");
    EXPECT_STREQ(hive_name(HKEY_CLASSES_ROOT), "");
    EXPECT_STREQ(hive_name(reinterpret_cast<HKEY>(0x1234)), "");
}

TEST_F(RegistryWalk, IndentWritesTabs)
{
    indent(0);
    EXPECT_EQ(take_report(), "");
    indent(3);
    EXPECT_EQ(take_report(), "\t\t\t");
}

TEST_F(RegistryWalk, WorkedExampleInTheRegistrysOwnOrder)
{
    PlantedKeys keys(HKEY_LOCAL_MACHINE,
                     {"SOFTWARE\\Microsoft\\Microsoft Games", "SOFTWARE\\Vendor"});
    if (!keys.planted())
        GTEST_SKIP() << "this machine has keys of the example's names";
    plant_worked_example(keys);
    // From SOFTWARE, so that the printed paths say SOFTWARE as on Windows
    // (Wine calls the key Software).
    enumerate_registry(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, false);
    EXPECT_EQ(take_report(),
              read_file_bytes(RAVELO_GOLDEN_DIR "/registry_worked_example_registry_order.txt"));
}

TEST_F(RegistryWalk, HiveWithoutKeywordsWritesNothing)
{
    TestKey keys;
    keys.set_text("Vendor\\Tool", "Path", "C:\\Tools\\");
    keys.set_dword("Vendor\\Tool", "Mode", 3);
    keys.add_key("Vendor\\Other");
    EXPECT_EQ(walk(keys), "");
}

TEST_F(RegistryWalk, KeyNamesMatchWhateverTheirCase)
{
    for (const KeywordCase& c : keyword_cases) {
        if (!*c.text || std::string(c.text).find('\\') != std::string::npos)
            continue;
        TestKey keys;
        keys.add_key(std::string("Deep\\Er\\") + c.text);
        const std::string written = walk(keys);
        if (c.matches)
            EXPECT_EQ(written, lines({keys.printed(std::string("Deep\\Er\\") + c.text)}))
                << c.text;
        else
            EXPECT_EQ(written, "") << c.text;
    }
}

TEST_F(RegistryWalk, MatchingValueWritesItsKeyWhole)
{
    TestKey keys;
    keys.set_text("Tool", "a name", "plain");
    keys.set_text("Tool", "b path", "D:\\FSX\\Addons");
    keys.set_text("Tool", "c later", "after the match");
    keys.set_dword("Tool\\Child", "Mode", 7);
    EXPECT_EQ(walk(keys), lines({keys.printed("Tool"),
                                 "\t" + keys.printed("Tool\\Child"),
                                 "\t\t-> Mode \t0x7",
                                 "\t-> a name \tplain",
                                 "\t-> b path \tD:\\FSX\\Addons",
                                 "\t-> c later \tafter the match"}));
}

TEST_F(RegistryWalk, MatchingValueNameCounts)
{
    TestKey keys;
    keys.set_text("Tool", "SimConnectPort", "5000");
    EXPECT_EQ(walk(keys), lines({keys.printed("Tool"), "\t-> SimConnectPort \t5000"}));
}

TEST_F(RegistryWalk, DwordDataIsTestedAsText)
{
    TestKey keys;
    keys.set_value("Tool", "Magic", REG_DWORD, "fsx", 4);
    EXPECT_EQ(walk(keys), lines({keys.printed("Tool"), "\t-> Magic \t0x787366"}));
}

TEST_F(RegistryWalk, KeyWithSeveralReasonsToMatchIsWrittenOnce)
{
    TestKey keys;
    keys.set_text("Tool", "a", "C:\\FSX");
    keys.set_text("Tool", "b", "simconnect.dll");
    keys.add_key("FSX SimConnect");
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX SimConnect"), keys.printed("Tool"),
                                 "\t-> a \tC:\\FSX", "\t-> b \tsimconnect.dll"}));
}

TEST_F(RegistryWalk, MatchingKeyInsideAPrintedKeyIsWrittenOnce)
{
    TestKey keys;
    keys.add_key("FSX\\SimConnect");
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"), "\t" + keys.printed("FSX\\SimConnect")}));
}

TEST_F(RegistryWalk, MatchingKeyIsWrittenAgainByEachAncestorWithAMatchingValue)
{
    TestKey keys;
    keys.set_text("A", "v", "D:\\FSX");
    keys.set_text("A\\B", "v", "D:\\FSX");
    keys.add_key("A\\B\\SimConnect");
    EXPECT_EQ(walk(keys), lines({keys.printed("A\\B\\SimConnect"),
                                 keys.printed("A\\B"),
                                 "\t" + keys.printed("A\\B\\SimConnect"),
                                 "\t-> v \tD:\\FSX",
                                 keys.printed("A"),
                                 "\t" + keys.printed("A\\B"),
                                 "\t\t" + keys.printed("A\\B\\SimConnect"),
                                 "\t\t-> v \tD:\\FSX",
                                 "\t-> v \tD:\\FSX"}));
}

TEST_F(RegistryWalk, IndentationGrowsOneTabPerLevel)
{
    TestKey keys;
    keys.set_dword("FSX\\a\\b\\c\\d\\e", "deep", 1);
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"),
                                 "\t" + keys.printed("FSX\\a"),
                                 "\t\t" + keys.printed("FSX\\a\\b"),
                                 "\t\t\t" + keys.printed("FSX\\a\\b\\c"),
                                 "\t\t\t\t" + keys.printed("FSX\\a\\b\\c\\d"),
                                 "\t\t\t\t\t" + keys.printed("FSX\\a\\b\\c\\d\\e"),
                                 "\t\t\t\t\t\t-> deep \t0x1"}));
}

TEST_F(RegistryWalk, PrintedKeyWithoutContentIsItsHeaderOnly)
{
    TestKey keys;
    keys.add_key("FSX");
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX")}));
}

TEST_F(RegistryWalk, ValuesOfEveryType)
{
    TestKey keys;
    const unsigned char qword[8] = {'A', 'B', 'C', 0, 0, 0, 0, 0};
    keys.set_text("FSX", "", "plain");
    keys.set_text("FSX", "(default)", "named so");
    keys.set_dword("FSX", "a dword zero", 0);
    keys.set_dword("FSX", "b dword 500", 500);
    keys.set_dword("FSX", "c dword max", 4294967295u);
    keys.set_value("FSX", "d empty text", REG_SZ, "", 1);
    keys.set_value("FSX", "e multi", REG_MULTI_SZ, "first\0second\0", 14);
    keys.set_text("FSX", "f expand", "%SystemRoot%\\Tools", REG_EXPAND_SZ);
    keys.set_value("FSX", "g binary", REG_BINARY, "AB\0CD", 5);
    keys.set_value("FSX", "h qword", REG_QWORD, qword, 8);
    keys.set_text("FSX", "i lines", "one\ntwo\r\nthree");
    keys.set_value("FSX", "j short dword", REG_DWORD, "\xf4\x01", 2);
    keys.set_value("FSX", "k empty dword", REG_DWORD, "", 0);
    keys.set_value("FSX", "l none", REG_NONE, "raw", 3);
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"),
                                 "\t-> (default) \tplain",
                                 "\t-> (default) \tnamed so",
                                 "\t-> a dword zero \t0x0",
                                 "\t-> b dword 500 \t0x1f4",
                                 "\t-> c dword max \t0xffffffff",
                                 "\t-> d empty text \t",
                                 "\t-> e multi \tfirst",
                                 "\t-> f expand \t%SystemRoot%\\Tools",
                                 "\t-> g binary \tAB",
                                 "\t-> h qword \tABC",
                                 "\t-> i lines \tone\ntwo\r\nthree",
                                 "\t-> j short dword \t0x1f4",
                                 "\t-> k empty dword \t0x0",
                                 "\t-> l none \traw"}));
    report_stream << 255;
    EXPECT_EQ(take_report(), "255") << "numbers after a walk are decimal again";
}

TEST_F(RegistryWalk, TextViewIsTheDeliveredBytesOnly)
{
    TestKey keys;
    keys.set_text("FSX", "a long", "a longer text value");
    // Stored without a terminator: the byte after the given length is not zero.
    keys.set_value("FSX", "b unterminated", REG_SZ, "helloX", 5);
    keys.set_value("FSX", "c binary", REG_BINARY, "zzzzzzzzzz", 10);
    keys.set_value("FSX", "d shorter binary", REG_BINARY, "abc", 3);
    keys.set_value("FSX", "e longest binary", REG_BINARY, std::string(64, 'q').c_str(), 64);
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"),
                                 "\t-> a long \ta longer text value",
                                 "\t-> b unterminated \thello",
                                 "\t-> c binary \tzzzzzzzzzz",
                                 "\t-> d shorter binary \tabc",
                                 "\t-> e longest binary \t" + std::string(64, 'q')}));
}

TEST_F(RegistryWalk, KeywordTestSeesNoLeftoverBytes)
{
    TestKey keys;
    keys.set_value("Quiet", "a", REG_BINARY, "zzzzzzsx", 8);
    // Followed by the bytes of "a" left in the buffer, this would read abcdefsx.
    keys.set_value("Quiet", "b", REG_BINARY, "abcdef", 6);
    EXPECT_EQ(walk(keys), "");
}

TEST_F(RegistryWalk, KeyThatCannotBeOpenedWhilePrinting)
{
    TestKey keys;
    keys.set_text("FSX\\Locked", "inside", "never read");
    keys.deny_reading("FSX\\Locked");
    keys.add_key("FSX\\Open");
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"),
                                 "\t" + keys.printed("FSX\\Locked"),
                                 "\tCan't find registry entry: " + keys.printed("FSX\\Locked"),
                                 "\t" + keys.printed("FSX\\Open")}));
}

TEST_F(RegistryWalk, KeyThatCannotBeOpenedWhileSilentIsSkipped)
{
    TestKey keys;
    keys.add_key("Quiet\\Locked\\FSX");
    keys.deny_reading("Quiet\\Locked");
    keys.add_key("Quiet\\SimConnect");
    EXPECT_EQ(walk(keys), lines({keys.printed("Quiet\\SimConnect")}));
}

TEST_F(RegistryWalk, KeyReachedThroughTwoRootsIsWrittenUnderEach)
{
    TestKey keys(HKEY_CURRENT_USER);
    keys.add_key("FSX");
    EXPECT_EQ(walk(keys), lines({"HKEY_CURRENT_USER\\" + keys.path("FSX")}));

    // The current user's tree is one of the subkeys of HKEY_USERS.
    char name[256];
    std::string user;
    for (DWORD index = 0; user.empty(); ++index) {
        DWORD length = sizeof name;
        const LONG result =
            RegEnumKeyExA(HKEY_USERS, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(result, ERROR_NO_MORE_ITEMS) << "no subkey of HKEY_USERS holds the test key";
        HKEY key;
        const std::string candidate = std::string(name) + "\\" + keys.path();
        if (result == ERROR_SUCCESS &&
            RegOpenKeyExA(HKEY_USERS, candidate.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            user = name;
        }
    }
    enumerate_registry(HKEY_USERS, (user + "\\" + keys.path()).c_str(), 0, false);
    EXPECT_EQ(take_report(), lines({"HKEY_USERS\\" + user + "\\" + keys.path("FSX")}));
}

TEST_F(RegistryWalk, MissingStartingKeyWritesNothing)
{
    TestKey keys;
    enumerate_registry(keys.root(), keys.path("Missing").c_str(), 0, false);
    EXPECT_EQ(take_report(), "");
    enumerate_registry(keys.root(), keys.path("Missing").c_str(), 2, true);
    EXPECT_EQ(take_report(), lines({"\t\t" + keys.printed("Missing"),
                                    "\t\tCan't find registry entry: " + keys.printed("Missing")}));
}

// Wine's narrow calls refuse a key path of 260 characters or more; opened
// from its parent, such a key is still walked.
TEST_F(RegistryWalk, KeyWhosePathIsLongerThanMaxPath)
{
    TestKey keys;
    HKEY parent;
    ASSERT_EQ(RegOpenKeyExA(keys.root(), keys.path().c_str(), 0, KEY_ALL_ACCESS | scan_view, &parent), ERROR_SUCCESS);
    std::string below;
    for (char letter : std::string("abcdefg")) {
        const std::string name = letter == 'g' ? "FSX" : std::string(40, letter);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | scan_view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(parent);
        parent = key;
        below += (below.empty() ? "" : "\\") + name;
    }
    RegCloseKey(parent);
    ASSERT_GE(keys.path(below).size(), std::size_t(MAX_PATH));
    EXPECT_EQ(walk(keys), lines({keys.printed(below)}));
}

TEST_F(RegistryWalk, ThirtyTwoBitViewOfTheLocalMachine)
{
    TestKey keys(HKEY_LOCAL_MACHINE);
    keys.set_text("Microsoft Flight Simulator X", "Path", "C:\\FSX\\");
    EXPECT_EQ(walk(keys), lines({keys.printed("Microsoft Flight Simulator X"),
                                 "\t-> Path \tC:\\FSX\\"}));
}

#ifdef _WIN32
namespace {

std::string ansi_text(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], size, nullptr, nullptr);
    ansi.pop_back();
    return ansi;
}

std::wstring wide_text(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

} // namespace

// In an East Asian code page a name takes more bytes than the UTF-16
// characters that the information query counts, so the enumerations ask for
// more room. ctest runs this case once more under Wine with LC_ALL set to
// ja_JP.UTF-8, and RAVELO_EXPECT_MULTIBYTE set so that it cannot skip there.
TEST_F(RegistryWalk, MultiByteNamesAreReadWhole)
{
    const std::wstring key_name = L"\x30d5\x30e9\x30a4\x30c8 FSX";
    const std::wstring value_name = L"\x5024";
    const std::wstring data = L"\x30c7\x30fc\x30bf D:\\FSX";
    const std::string ansi_key = ansi_text(key_name);
    if (ansi_key.size() <= key_name.size() || ansi_key.find('?') != std::string::npos) {
        if (std::getenv("RAVELO_EXPECT_MULTIBYTE"))
            FAIL() << "code page " << GetACP() << " is not a multi-byte one";
        GTEST_SKIP() << "code page " << GetACP() << " is single-byte";
    }
    TestKey keys;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(keys.root(), (wide_text(keys.path()) + L"\\" + key_name).c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, L"a", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(2 * data.size() + 2));
    RegSetValueExW(key, value_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(2 * data.size() + 2));
    RegCloseKey(key);
    EXPECT_EQ(walk(keys), lines({keys.printed(ansi_key),
                                 "\t-> a \t" + ansi_text(data),
                                 "\t-> " + ansi_text(value_name) + " \t" + ansi_text(data)}));
}
#endif

#ifndef _WIN32
// The failure paths, with the substitute told to fail chosen calls.

namespace {

// Keys, subkeys and values of every length, some matching, some not.
void plant_mixed_tree(const RegistryFixture& keys)
{
    keys.set_text("FSX", "", "default text");
    keys.set_text("FSX", "a rather long value name", "a rather long text value");
    keys.set_dword("FSX", "b", 500);
    keys.set_value("FSX\\Sub", "bytes", REG_BINARY, "0123456789abcdef", 16);
    keys.set_text("FSX\\Sub\\Deeper with a longer name", "x", "y");
    keys.add_key("FSX\\Another");
    keys.set_text("Tool", "a", "unrelated");
    keys.set_text("Tool", "b", "C:\\Games\\FSX\\");
    keys.add_key("Tool\\SimConnect");
}

class SubstituteFaults : public RegistryWalk {
protected:
    void TearDown() override
    {
        clear_registry_faults();
        EXPECT_EQ(open_registry_handles(), handles_before) << "every opened key is closed";
        RegistryWalk::TearDown();
    }
    std::size_t handles_before = open_registry_handles();
};

} // namespace

TEST_F(SubstituteFaults, WorkedExampleComesOutByteForByte)
{
    reset_registry();
    enumerate_subkeys_in_creation_order(true);
    // Created, and within each key set, in the order the example names them.
    const std::string simulator = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator";
    PlantedKeys keys(HKEY_LOCAL_MACHINE, {"SOFTWARE"});
    keys.set_text(simulator, "", "x");
    keys.set_text(simulator + "\\10.0", "SetupPath", "C:\\FSX\\");
    keys.set_value(simulator + "\\10.0", "", REG_SZ, "", 1);
    keys.set_text("SOFTWARE\\Vendor\\Kit", "Path", "D:\\fsx\\addons");
    keys.set_dword("SOFTWARE\\Vendor\\Kit\\Sub", "Mode", 31);
    keys.set_dword("SOFTWARE\\Vendor\\Kit\\SimConnect", "Port", 500);

    enumerate_registry(HKEY_LOCAL_MACHINE, "", 0, false);
    EXPECT_EQ(take_report(), read_file_bytes(RAVELO_GOLDEN_DIR "/registry_worked_example.txt"));
    reset_registry();
}

TEST_F(SubstituteFaults, MatchingValueOfTheRootWritesTheWholeHive)
{
    reset_registry();
    const char path[] = "C:\\FSX";
    ASSERT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "Path", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(path), sizeof path), ERROR_SUCCESS);
    PlantedKeys keys(HKEY_CURRENT_USER, {"A"});
    keys.add_key("A");
    enumerate_registry(HKEY_CURRENT_USER, "", 0, false);
    EXPECT_EQ(take_report(), lines({"HKEY_CURRENT_USER\\", "\tHKEY_CURRENT_USER\\A",
                                    "\t-> Path \tC:\\FSX"}));
    reset_registry();
}

TEST_F(SubstituteFaults, MoreDataFromAnyEnumerationIsRetriedWithoutLoss)
{
    TestKey keys;
    plant_mixed_tree(keys);
    const std::string expected = walk(keys);
    ASSERT_NE(expected, "");
    for (unsigned after = 0; after < 30; ++after) {
        fail_registry_call(RegistryCall::enum_key, after, ERROR_MORE_DATA);
        EXPECT_EQ(walk(keys), expected) << "RegEnumKeyExA call " << after + 1;
        clear_registry_faults();
        fail_registry_call(RegistryCall::enum_value, after, ERROR_MORE_DATA, 3);
        EXPECT_EQ(walk(keys), expected) << "RegEnumValueA call " << after + 1;
        clear_registry_faults();
    }
}

TEST_F(SubstituteFaults, LengthsCountedInCharactersOfAMultiByteCodePage)
{
    TestKey keys;
    plant_mixed_tree(keys);
    const std::string expected = walk(keys);
    for (DWORD shortfall : {1u, 2u, 5u, 17u, 100000u}) {
        understate_registry_lengths(shortfall);
        EXPECT_EQ(walk(keys), expected) << "lengths " << shortfall << " short";
    }
}

TEST_F(SubstituteFaults, IndexThatKeepsAskingForMoreIsGivenUp)
{
    TestKey keys;
    keys.set_text("FSX", "a", "first");
    keys.set_text("FSX", "b", "second");
    keys.add_key("FSX\\Sub");
    fail_registry_call(RegistryCall::enum_value, 0, ERROR_MORE_DATA, UINT_MAX);
    // The silent visits of the base and of FSX\Sub read no value either.
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"), "\t" + keys.printed("FSX\\Sub")}));
}

TEST_F(SubstituteFaults, OtherEnumerationFailuresMoveOnToTheNextIndex)
{
    TestKey keys;
    keys.set_text("FSX", "a", "first");
    keys.set_text("FSX", "b", "second");
    keys.add_key("FSX\\One");
    keys.add_key("FSX\\Two");
    // The second RegEnumKeyExA asks for FSX\One; the first RegEnumValueA
    // asks for FSX's value a, since keys without values are not enumerated.
    fail_registry_call(RegistryCall::enum_key, 1, ERROR_ACCESS_DENIED);
    fail_registry_call(RegistryCall::enum_value, 0, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"), "\t" + keys.printed("FSX\\Two"),
                                 "\t-> b \tsecond"}));
}

TEST_F(SubstituteFaults, WalkEndsWhenEveryEnumerationFails)
{
    TestKey keys;
    plant_mixed_tree(keys);
    fail_registry_call(RegistryCall::enum_key, 0, ERROR_KEY_DELETED, UINT_MAX);
    fail_registry_call(RegistryCall::enum_value, 0, ERROR_KEY_DELETED, UINT_MAX);
    EXPECT_EQ(walk(keys), "");
}

TEST_F(SubstituteFaults, KeyThatCannotBeMeasured)
{
    TestKey keys;
    keys.set_text("FSX\\Sub", "v", "never read");
    keys.add_key("FSX\\Sub\\Child");
    keys.add_key("FSX\\Tail");
    keys.add_key("Quiet\\SimConnect");
    fail_registry_key(RegistryCall::query_info_key, keys.root(), keys.path("FSX\\Sub").c_str(),
                      ERROR_ACCESS_DENIED);
    fail_registry_key(RegistryCall::query_info_key, keys.root(), keys.path("Quiet").c_str(),
                      ERROR_ACCESS_DENIED);
    EXPECT_EQ(walk(keys),
              lines({keys.printed("FSX"),
                     "\t" + keys.printed("FSX\\Sub"),
                     "\tCan't obtain subkeys length table for key: " + keys.printed("FSX\\Sub"),
                     "\t" + keys.printed("FSX\\Tail")}));
}

TEST_F(SubstituteFaults, KeyRemovedDuringTheWalk)
{
    TestKey keys;
    keys.add_key("FSX\\Gone");
    keys.add_key("FSX\\Kept");
    fail_registry_key(RegistryCall::open_key, keys.root(), keys.path("FSX\\Gone").c_str(),
                      ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(walk(keys), lines({keys.printed("FSX"),
                                 "\t" + keys.printed("FSX\\Gone"),
                                 "\tCan't find registry entry: " + keys.printed("FSX\\Gone"),
                                 "\t" + keys.printed("FSX\\Kept")}));
}
#endif
