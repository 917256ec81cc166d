#include "file_fixtures.h"
#include "platform/file_streams.h"
#include "scan/report.h"
#include "scan/text_file_echo.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::string echo(const std::string& path)
{
    reset_scan_state();
    dump_text_file(path);
    return report_stream.str();
}

} // namespace

TEST(TextFileEcho, CopiesLinesWithWindowsTextModeReading)
{
    // A CR LF that straddles the 64 KiB chunks of the substitute's reads.
    const std::string long_line(65535, 'x');
    const struct {
        const char* what;
        std::string content;
        std::string report;
    } cases[] = {
        {"CR LF lines", "a\r\nb\r\n", "a\nb\n\n"},
        {"no final line end", "a\r\nb", "a\nb\n"},
        {"LF lines", "a\nb\n", "a\nb\n\n"},
        {"empty file", "", "\n"},
        {"lone CR kept", "a\rb\r\n", "a\rb\n\n"},
        {"CR CR LF", "ab\r\r\n", "ab\r\n\n"},
        {"CR at the very end", "tail\r", "tail\r\n"},
        {"0x1A ends the input", "a\r\nb\x1a" "c\r\n", "a\nb\n"},
        {"line feed then 0x1A", "a\n\x1a", "a\n\n"},
        {"0x1A first", "\x1a" "a\n", "\n"},
        {"zero bytes copied", std::string("x\0y\t \n", 6), std::string("x\0y\t \n\n", 7)},
        {"CR LF across chunks", long_line + "\r\ny", long_line + "\ny\n"},
        {"long line", std::string(100000, 'q'), std::string(100000, 'q') + "\n"},
    };
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        write_file_bytes(scratch.path() / "fsx.cfg", c.content);
        EXPECT_EQ(echo(scratch.file("fsx.cfg")), c.report) << c.what;
    }
}

TEST(TextFileEcho, SaysFileNotFoundForEveryOpenFailure)
{
    ScratchDirectory scratch;
    write_file_bytes(scratch.path() / "dll.xml", "<x/>\n");
    std::filesystem::create_directory(scratch.path() / "folder.xml");

    EXPECT_EQ(echo(scratch.file("missing.xml")), "File not found...\n");
    EXPECT_EQ(echo(scratch.file("folder.xml")), "File not found...\n");
    open_refused refusal(scratch.file("dll.xml"));
    ASSERT_TRUE(refusal.in_force());
    EXPECT_EQ(echo(scratch.file("dll.xml")), "File not found...\n");
}

#ifdef _WIN32
TEST(TextFileEcho, LeavesTheFileOpenToOtherWriters)
{
    ScratchDirectory scratch;
    const std::string path = scratch.file("fsx.cfg");
    write_file_bytes(path, "a\n");
    std::unique_ptr<std::istream> reading = open_text_input(path.c_str());
    ASSERT_TRUE(reading->good());
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
}
#else
TEST(TextFileEcho, AReadErrorEndsTheInputAfterWhatWasRead)
{
    ScratchDirectory scratch;
    write_file_bytes(scratch.path() / "fsx.cfg", "a\n" + std::string(70000, 'b') + "\nc\n");
    fail_call(substitute_call::read_file, 2);
    EXPECT_EQ(echo(scratch.file("fsx.cfg")),
              "a\n" + std::string(65536 - 2, 'b') + "\nCan't read file to its end...\n");
    clear_call_failures();
}
#endif
