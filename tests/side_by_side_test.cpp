#include "file_fixtures.h"
#include "platform/win32.h"
#include "scan/file_digests.h"
#include "scan/report.h"
#include "scan/side_by_side.h"
#include "test_support.h"

#ifndef _WIN32
#include "platform/posix/call_counts.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

const char digest_of_x[] = "9dd4e461268c8034f5c8564e155c67a6"; // md5sum of "x"

std::string labels(const std::string& windows_directory)
{
    return "System dir                    : " + windows_directory + "\n" +
           "Side-by-side libraries list   : \n";
}

const char cannot_open_winsxs[] = "Can't open winsxs directory... \n";

std::string listing_of(const std::string& windows_directory)
{
    reset_scan_state();
    list_side_by_side_of(windows_directory.c_str());
    return report_stream.str();
}

} // namespace

TEST(SideBySide, SaysSoWhenNoAssemblyDirectoryMatches)
{
    ScratchDirectory scratch;
    const std::string windows = scratch.path().string();
    EXPECT_EQ(listing_of(windows), labels(windows) + cannot_open_winsxs) << "no winsxs";

    const fs::path winsxs = scratch.path() / "winsxs";
    fs::create_directories(winsxs / "amd64_microsoft.vc90.crt_1");
    fs::create_directories(winsxs / "x86_microsoftvc90");
    fs::create_directories(winsxs / "x86_policy.9.0.microsoft.vc90.crt");
    EXPECT_EQ(listing_of(windows), labels(windows) + cannot_open_winsxs) << "no match";

    EXPECT_EQ(listing_of(""), labels("") + cannot_open_winsxs) << "no Windows directory";
}

TEST(SideBySide, ListsTheFilesOfEveryMatchingDirectoryInAnyCase)
{
    ScratchDirectory scratch;
    const std::string windows = scratch.path().string();
    const fs::path winsxs = scratch.path() / "winsxs";
    const std::string upper_case = "X86_Microsoft.VC90.CRT_1fc8b3b9a1e18e3b_9.0.30729.6161_x-ww_1";
    const std::string empty = "x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0.0.0";
    fs::create_directories(winsxs / upper_case / "manifests");
    fs::create_directories(winsxs / empty);
    write_file_bytes(winsxs / upper_case / "msvcr90.dll", "x");
    write_file_bytes(winsxs / upper_case / "manifests" / "deeper.manifest", "x");
    write_file_bytes(winsxs / "x86_microsoft.a_file", "x");

    const std::string winsxs_path = windows_join(windows, "winsxs");
    EXPECT_EQ(listing_of(windows),
              labels(windows) + "O " + windows_join(winsxs_path, upper_case) + "\\\n" +
                  "\t. msvcr90.dll \t" + digest_of_x + "\n" + "O " +
                  windows_join(winsxs_path, empty) + "\\\n");
}

TEST(SideBySide, NamesTheWindowsDirectoryItself)
{
    reset_scan_state();
#ifdef _WIN32
    char expected[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(expected, MAX_PATH), 0u);
#else
    ScratchDirectory scratch;
    const std::string expected = scratch.path().string();
    setenv("RAVELO_WINDOWS_DIR", (expected + "/").c_str(), 1);
#endif
    list_side_by_side();
    const std::string report = report_stream.str();
    EXPECT_EQ(report.substr(0, report.find('\n') + 1),
              "System dir                    : " + std::string(expected) + "\n");
#ifndef _WIN32
    unsetenv("RAVELO_WINDOWS_DIR");
#endif
}

#ifndef _WIN32
TEST(SideBySide, AWindowsDirectoryTooLongForThePatternIsNotSearched)
{
    ScratchDirectory scratch;
    // With "\winsxs\x86_microsoft.*" the pattern would pass 259 characters.
    const std::string windows = scratch.path().string() + "/" + std::string(240 - scratch.path().string().size(), 'w');
    fs::create_directories(fs::path(windows) / "winsxs" / "x86_microsoft.a");
    EXPECT_EQ(listing_of(windows), labels(windows) + cannot_open_winsxs);
}

TEST(SideBySide, ThePatternMayHaveUpTo259Characters)
{
    const std::string suffix = "\\winsxs\\x86_microsoft.*";
    for (const std::size_t pattern_length : {259u, 260u}) {
        ScratchDirectory scratch;
        const std::string base = scratch.path().string() + "/";
        const std::string windows = base + std::string(pattern_length - suffix.size() - base.size(), 'w');
        const std::string assembly = windows + "/winsxs/x86_microsoft.a";
        fs::create_directories(assembly);
        const std::string searched = labels(windows) + "O " + windows_join(windows_join(windows, "winsxs"), "x86_microsoft.a") +
                                     "\\\nCan't open " + windows_join(windows_join(windows, "winsxs"), "x86_microsoft.a") +
                                     " directory... \n";
        EXPECT_EQ(listing_of(windows), pattern_length == 259 ? searched : labels(windows) + cannot_open_winsxs)
            << pattern_length << " characters";
    }
}

// Once the section holds no more, neither the search of assemblies nor the
// listing of their files goes on.
TEST(SideBySide, AFullSectionEndsTheListing)
{
    ScratchDirectory scratch;
    const unsigned assemblies = 50;
    for (unsigned i = 0; i < assemblies; ++i)
        for (const char* file : {"a.dll", "b.dll", "c.dll"}) {
            const fs::path folder = scratch.path() / "winsxs" / ("x86_microsoft.assembly_" + std::to_string(i));
            fs::create_directories(folder);
            write_file_bytes(folder / file, "x");
        }
    reset_scan_state();
    report_stream.bytes().limit_to(400);
    clear_call_counts();
    list_side_by_side_of(scratch.path().string().c_str());
    std::map<std::string, unsigned long long> counts = call_counts();
    EXPECT_FALSE(report_stream.good());
    EXPECT_LE(counts["CreateFileA"], max_md5_lanes + file_digest_queue::max_waiting_files);
    EXPECT_LT(counts["FindNextFileA"], assemblies);
    report_stream.bytes().lift_limit();
    reset_scan_state();
}

TEST(SideBySide, NoWindowsDirectoryMeansNoSearch)
{
    // Without the Windows directory the pattern would be searched at the
    // current drive's root.
    clear_call_failures();
    EXPECT_EQ(listing_of(""), labels("") + cannot_open_winsxs);
    EXPECT_EQ(calls_made(substitute_call::find_first_file), 0u);
}
#endif
