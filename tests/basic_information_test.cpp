#include "registry_fixture.h"
#include "scan/basic_information.h"
#include "scan/report.h"
#include "scan/scan_state.h"
#include "scan/scan_worker.h"
#include "seal/report_cipher.h"
#include "test_support.h"
#include "tools/report_decipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char simulator_key[] = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
const char failure_line[] = "Can't find FSX registry entry.\n";

std::string upper_case(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    return text;
}

void set_user_fields(const char* name, const char* email, const char* forum,
                     const char* description)
{
    std::strcpy(user_name, name);
    std::strcpy(user_email, email);
    std::strcpy(forum_name, forum);
    std::strcpy(problem_description, description);
}

// The simulator's key below HKEY_LOCAL_MACHINE, removed afterwards with the
// Microsoft Games key that holds it.
class SimulatorKey : public testing::Test {
protected:
    void SetUp() override
    {
        reset_scan_state();
        if (!keys.planted())
            GTEST_SKIP() << "the simulator is installed on this machine";
    }
    void TearDown() override
    {
        set_user_fields("", "", "", "");
        reset_scan_state();
    }

    // Fills fsx_path with bytes a failed read must not leave behind.
    static void soil_fsx_path() { std::memset(fsx_path, 'J', sizeof fsx_path - 1); }

    PlantedKeys keys{HKEY_LOCAL_MACHINE, {"Software\\Microsoft\\Microsoft Games"}};
};

struct SetupPathCase {
    const char* what;
    DWORD type;
    std::string stored; // the bytes given to RegSetValueExA
    DWORD length;       // how many of them are counted
    std::string expected_path;
    bool failure_expected;
};

const std::string long_path(259, 'p');

const SetupPathCase setup_path_cases[] = {
    {"a usual path", REG_SZ, std::string("C:\\FSX\\", 8), 8, "C:\\FSX\\", false},
    {"text stored without its terminator", REG_SZ, "D:\\Games\\FSX\\X", 13, "D:\\Games\\FSX\\",
     false},
    {"259 characters", REG_SZ, long_path, 260, long_path, false},
    {"260 characters without a terminator", REG_SZ, long_path + "qX", 260, "", true},
    {"260 characters and the terminator", REG_SZ, long_path + "q", 261, "", true},
    {"another type of value", REG_EXPAND_SZ, std::string("%ProgramFiles%\\FSX\\", 20), 20,
     "%ProgramFiles%\\FSX\\", false},
    {"empty text", REG_SZ, std::string(1, '\0'), 1, "", false},
};

} // namespace

TEST(WindowsName, NamesTheVersionsFrom2000To8)
{
    struct Case {
        unsigned major, minor;
        const char* name;
    };
    const Case cases[] = {
        {5, 0, "Windows 2000"}, {5, 1, "Windows XP"},
        {5, 2, "Windows XP Professional x64 Edition"},
        {6, 0, "Windows Vista"}, {6, 1, "Windows 7"}, {6, 2, "Windows 8"},
        {6, 3, ""}, {10, 0, ""}, {4, 0, ""}, {5, 3, ""}, {0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(windows_name(c.major, c.minor), c.name) << c.major << '.' << c.minor;
}

TEST_F(SimulatorKey, MissingKeyGivesOneFailureLine)
{
    read_fsx_path();
    EXPECT_EQ(report_stream.str(), failure_line);
    EXPECT_STREQ(fsx_path, "");
}

TEST_F(SimulatorKey, KeyWithoutSetupPathGivesOneFailureLine)
{
    keys.set_text(simulator_key, "Other", "C:\\FSX\\");
    soil_fsx_path();
    read_fsx_path();
    EXPECT_EQ(report_stream.str(), failure_line);
    EXPECT_STREQ(fsx_path, "");
}

TEST_F(SimulatorKey, SetupPathIsReadIntoATerminatedPath)
{
    for (const SetupPathCase& c : setup_path_cases) {
        keys.set_value(simulator_key, "SetupPath", c.type, c.stored.c_str(), c.length);
        soil_fsx_path();
        read_fsx_path();
        EXPECT_EQ(report_stream.str(), c.failure_expected ? failure_line : "") << c.what;
        EXPECT_EQ(std::string(fsx_path), c.expected_path) << c.what;
        EXPECT_LT(strnlen(fsx_path, sizeof fsx_path), sizeof fsx_path) << c.what;
        reset_scan_state();
    }
}

TEST_F(SimulatorKey, SectionShowsTheUserFieldsAndPaths)
{
    keys.set_text(simulator_key, "SetupPath", "C:\\FSX\\");
    read_fsx_path();
    std::strcpy(app_data_path, "C:\\Users\\pilot\\AppData\\Roaming");
    set_user_fields("Ann Pilot", "ann@example.com", "", "Line one\r\nLine two");
    write_basic_information();
    const auto lines = lines_of(report_stream.str());
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(lines.size(), lines[8] == "OS is not WORKSTATION type!" ? 12u : 11u);
    EXPECT_EQ(lines[0], "Name:                Ann Pilot");
    EXPECT_EQ(lines[1], "e-mail:              ann@example.com");
    EXPECT_EQ(lines[2], "Forum name:          ");
    EXPECT_EQ(lines[3], "Problem description: Line one\r");
    EXPECT_EQ(lines[4], "Line two");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[lines.size() - 3], "");
    EXPECT_EQ(lines[lines.size() - 2], "FSX path:            C:\\FSX\\");
    EXPECT_EQ(lines[lines.size() - 1], "App data path:       C:\\Users\\pilot\\AppData\\Roaming");
}

TEST_F(SimulatorKey, VersionLinesSayWhatTheSystemReports)
{
    OSVERSIONINFOEXA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&version));
    write_basic_information();
    const auto lines = lines_of(report_stream.str());
    ASSERT_GE(lines.size(), 8u);
    std::ostringstream expected;
    expected << "OS version:          " << version.dwMajorVersion << '.' << version.dwMinorVersion
             << " build " << version.dwBuildNumber << "  "
             << windows_name(version.dwMajorVersion, version.dwMinorVersion);
    EXPECT_EQ(lines[5], expected.str());
    EXPECT_EQ(lines[6].substr(0, 21), "Service pack:        ");
    EXPECT_EQ(lines[7] == "OS is not WORKSTATION type!", version.wProductType != VER_NT_WORKSTATION);
    std::cout << "[ reported ] " << lines[5] << " | " << lines[6] << '\n';
}

// The whole scan with the simulator installed: its path heads the basic
// information and its key shows in the HKEY_LOCAL_MACHINE section.
TEST_F(SimulatorKey, ScanShowsThePlantedSimulator)
{
    keys.set_text(simulator_key, "SetupPath", "C:\\FSX\\");
    ScratchDirectory scratch(true);
    run_scan();
    std::string text;
    ASSERT_TRUE(decipher_report(read_file_bytes(report_file_name), text));
    const auto lines = lines_of(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "** Basic information *************************************************");
    const auto at = [&](const std::string& line) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == line)
                return i;
        return lines.size();
    };
    EXPECT_LT(at("FSX path:            C:\\FSX\\"), at("** Vok directory test ************************************************"));
    const std::size_t machine = at("** HKEY_LOCAL_MACHINE enumeration ************************************");
    const std::size_t user = at("** HKEY_CURRENT_USER enumeration *************************************");
    ASSERT_LT(machine, user);
    // Windows calls the key SOFTWARE, Wine Software.
    const std::string root = "HKEY_LOCAL_MACHINE\\";
    const std::string below = "\\Microsoft\\Microsoft Games\\Flight Simulator";
    std::size_t header = lines.size();
    for (std::size_t i = machine; i < user; ++i)
        if (lines[i].size() == root.size() + 8 + below.size() &&
            lines[i].compare(0, root.size(), root) == 0 &&
            upper_case(lines[i].substr(root.size(), 8)) == "SOFTWARE" &&
            lines[i].compare(root.size() + 8, below.size(), below) == 0)
            header = i;
    ASSERT_LT(header, user) << "the simulator's key in the HKEY_LOCAL_MACHINE section";
    EXPECT_EQ(lines[header + 1], "\t" + lines[header] + "\\10.0");
    EXPECT_EQ(lines[header + 2], "\t\t-> SetupPath \tC:\\FSX\\");
}

#ifndef _WIN32
namespace {

struct VersionCase {
    OSVERSIONINFOEXA record;
    std::vector<std::string> lines;
};

OSVERSIONINFOEXA version_record(DWORD major, DWORD minor, DWORD build, const char* service_pack,
                                WORD pack_major, BYTE product_type)
{
    OSVERSIONINFOEXA record{};
    record.dwMajorVersion = major;
    record.dwMinorVersion = minor;
    record.dwBuildNumber = build;
    std::strcpy(record.szCSDVersion, service_pack);
    record.wServicePackMajor = pack_major;
    record.wProductType = product_type;
    return record;
}

class VersionLines : public SimulatorKey {
protected:
    void TearDown() override
    {
        set_version_record(nullptr);
        SimulatorKey::TearDown();
    }

    // The lines between the problem description's empty line and the one
    // before the paths.
    std::vector<std::string> version_lines()
    {
        write_basic_information();
        const auto lines = lines_of(report_stream.str());
        reset_scan_state();
        return std::vector<std::string>(lines.begin() + 5, lines.end() - 3);
    }
};

} // namespace

TEST_F(VersionLines, NameWarningAndServicePack)
{
    const VersionCase cases[] = {
        {version_record(6, 1, 7601, "Service Pack 1", 1, VER_NT_WORKSTATION),
         {"OS version:          6.1 build 7601  Windows 7",
          "Service pack:        1.0  Service Pack 1"}},
        {version_record(5, 2, 3790, "Service Pack 2", 2, VER_NT_SERVER),
         {"OS version:          5.2 build 3790  Windows XP Professional x64 Edition",
          "Service pack:        2.0  Service Pack 2", "OS is not WORKSTATION type!"}},
        {version_record(6, 1, 7601, "", 0, VER_NT_DOMAIN_CONTROLLER),
         {"OS version:          6.1 build 7601  Windows 7", "Service pack:        0.0  ",
          "OS is not WORKSTATION type!"}},
        {version_record(6, 3, 9600, "", 0, VER_NT_WORKSTATION),
         {"OS version:          6.3 build 9600  ", "Service pack:        0.0  "}},
        {version_record(10, 0, 19045, "", 0, VER_NT_WORKSTATION),
         {"OS version:          10.0 build 19045  ", "Service pack:        0.0  "}},
        {version_record(5, 1, 2600, "Service Pack 3", 3, VER_NT_WORKSTATION),
         {"OS version:          5.1 build 2600  Windows XP",
          "Service pack:        3.0  Service Pack 3"}},
    };
    for (const VersionCase& c : cases) {
        set_version_record(&c.record);
        EXPECT_EQ(version_lines(), c.lines) << c.lines[0];
    }
}

TEST_F(VersionLines, FailedQueryShowsTheZeroFilledRecord)
{
    EXPECT_EQ(version_lines(), (std::vector<std::string>{"OS version:          0.0 build 0  ",
                                                         "Service pack:        0.0  ",
                                                         "OS is not WORKSTATION type!"}));
}

TEST_F(VersionLines, WholeSection)
{
    const OSVERSIONINFOEXA seven = version_record(6, 1, 7601, "Service Pack 1", 1, 1);
    set_version_record(&seven);
    keys.set_text(simulator_key, "SetupPath", "C:\\Program Files\\Microsoft Games\\FSX\\");
    read_fsx_path();
    std::strcpy(app_data_path, "C:\\Users\\Ann\\AppData\\Roaming");
    set_user_fields("Ann Pilot", "ann@example.com", "annp",
                    "FSX stops at start.\r\nIt began after the update.\r\n\r\nThanks");
    write_basic_information();
    EXPECT_EQ(report_stream.str(),
              read_file_bytes(RAVELO_GOLDEN_DIR "/basic_information_windows7.txt"));
}
#endif
