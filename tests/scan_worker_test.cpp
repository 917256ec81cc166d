#include "scan/report.h"
#include "scan/scan_worker.h"
#include "seal/report_cipher.h"
#include "test_support.h"
#include "tools/report_decipher.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

TEST(Report, EndsLinesWithALineFeedOnly)
{
    std::ostringstream out;
    out << "a" << write_endl << write_endl << "b" << write_endl;
    EXPECT_EQ(out.str(), "a\n\nb\n");
}

TEST(Report, BannerIsFiveSeventyColumnLinesAndAnEmptyLine)
{
    reset_scan_state();
    write_banner("** Vok directory test ************************************************");
    const auto lines = lines_of(report_stream.str());
    ASSERT_EQ(lines.size(), 6u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(lines[i].size(), 70u) << "line " << i;
    EXPECT_EQ(lines[0], "** Vok directory test ************************************************");
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(lines[i], "*" + std::string(68, ' ') + "*");
    EXPECT_EQ(lines[4], std::string(70, '*'));
    EXPECT_EQ(lines[5], "");
    reset_scan_state();
}

#ifndef _WIN32
// The whole report of a machine without the simulator, sealed and read back
// through an independent decipherment.
TEST(ScanWorker, WritesTheReportLayoutIntoTheSealedFile)
{
    ScratchDirectory scratch(true);
    // Folders that do not exist, so that the report's text is fixed.
    setenv("XDG_CONFIG_HOME", "/nonexistent/ravelo-config", 1);
    setenv("RAVELO_WINDOWS_DIR", "C:\\Windows", 1);
    reset_scan_state();

    ASSERT_TRUE(run_scan());
    std::string text;
    ASSERT_TRUE(decipher_report(read_file_bytes(report_file_name), text));
    EXPECT_EQ(text, read_file_bytes(RAVELO_GOLDEN_DIR "/machine_without_simulator.txt"));
    EXPECT_EQ(text, report_stream.str());
    reset_scan_state();
}

TEST(ScanWorker, ReportsAReportFileThatCannotBeWritten)
{
    ScratchDirectory scratch(true);
    setenv("XDG_CONFIG_HOME", scratch.file("config").c_str(), 1);
    std::filesystem::create_directory(std::string(report_file_name) + ".tmp");
    reset_scan_state();
    EXPECT_FALSE(run_scan());
    reset_scan_state();
}

TEST(ScanWorker, TellsTheProgressWindowWhetherTheReportWasWritten)
{
    setenv("RAVELO_WINDOWS_DIR", "C:\\Windows", 1);
    HWND window = reinterpret_cast<HWND>(0x1234);
    for (const bool writable : {true, false}) {
        ScratchDirectory scratch(true);
        setenv("XDG_CONFIG_HOME", scratch.file("config").c_str(), 1);
        if (!writable)
            std::filesystem::create_directory(std::string(report_file_name) + ".tmp");
        reset_scan_state();
        progress_dialog = window;
        last_sent_message = {};
        EXPECT_EQ(scan_worker(nullptr), 0u);
        EXPECT_EQ(last_sent_message.window, window);
        EXPECT_EQ(last_sent_message.message, UINT(WM_SCAN_FINISHED));
        EXPECT_EQ(last_sent_message.wparam, WPARAM(writable)) << "writable: " << writable;
    }
    progress_dialog = nullptr;
    reset_scan_state();
}
#endif
