// A section cannot grow the report past section_limit: a 32-bit Ravelo must
// write its report even when fsx.cfg is a runaway log of hundreds of MB or
// the registry holds values of many MB.
#include "registry_fixture.h"
#include "scan/registry_enumeration.h"
#include "scan/report.h"
#include "scan/scan_state.h"
#include "scan/scan_worker.h"
#include "seal/report_cipher.h"
#include "test_support.h"
#include "tools/report_decipher.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <new>
#include <string>

#ifndef _WIN32
#include "platform/posix/call_counts.h"
#include <sys/resource.h>
#endif

namespace {

const std::string limit_line =
    "Section cut short: it reached the limit of 16 MiB a section may hold.\n";
const std::string memory_line = "Section cut short: the scan ran out of memory.\n";

void write_lines(std::size_t count, const std::string& line)
{
    for (std::size_t i = 0; i < count; ++i)
        report_stream << line << write_endl;
}



} // namespace

TEST(BoundedSection, CutsAtTheLastWholeLineAndSaysSo)
{
    // 16 MiB + 1 is 97 * 257 * 673: lines of 97 * 257 bytes end one byte
    // past the limit, on the line feed.
    const std::size_t one_past = 97 * 257;
    const struct {
        const char* what;
        std::size_t line_size;  // with its line feed
        std::size_t lines;
        bool cut;
    } cases[] = {
        {"well under the limit", 1000, 1000, false},
        {"the last whole line before the limit", 1000, section_limit / 1000, false},
        {"past the limit", 1000, section_limit / 1000 + 5000, true},
        {"ending exactly at the limit", 1024, section_limit / 1024, false},
        {"the limit falling on a line feed", one_past, (section_limit + 1) / one_past, true},
    };
    for (const auto& c : cases) {
        const std::string line(c.line_size - 1, 'x');
        reset_scan_state();
        report_stream << "before" << write_endl;
        write_bounded_section([&] { write_lines(c.lines, line); });
        report_stream << "after" << write_endl;
        const std::string& text = report_stream.text();
        const std::string body = text.substr(7, text.size() - 7 - 6);
        EXPECT_EQ(text.substr(0, 7), "before\n") << c.what;
        EXPECT_EQ(text.substr(text.size() - 6), "after\n") << c.what;
        if (!c.cut) {
            EXPECT_EQ(body.size(), c.lines * c.line_size) << c.what;
            continue;
        }
        ASSERT_GT(body.size(), limit_line.size()) << c.what;
        const std::string kept = body.substr(0, body.size() - limit_line.size());
        EXPECT_EQ(body.substr(kept.size()), limit_line) << c.what;
        EXPECT_EQ(kept.size() % c.line_size, 0u) << c.what << ": only whole lines are kept";
        EXPECT_GT(kept.size(), section_limit - c.line_size) << c.what;
        EXPECT_LE(kept.size(), section_limit) << c.what;
    }
    reset_scan_state();
}

TEST(BoundedSection, AnAllocationFailureEndsOnlyThatSection)
{
    reset_scan_state();
    write_bounded_section([] {
        report_stream << "whole line" << write_endl << "half a li";
        throw std::bad_alloc();
    });
    write_bounded_section([] { report_stream << "next section" << write_endl; });
    EXPECT_EQ(report_stream.text(), "whole line\n" + memory_line + "next section\n");
    reset_scan_state();
}

#ifndef _WIN32
namespace {

// The text between the first occurrences of two lines, both excluded.
std::string text_between(const std::string& text, const std::string& first, const std::string& last)
{
    const std::size_t begin = text.find(first + "\n");
    const std::size_t end = text.find(last + "\n", begin);
    if (begin == std::string::npos || end == std::string::npos)
        return "(not found)";
    return text.substr(begin + first.size() + 1, end - begin - first.size() - 1);
}

void print_peak_memory(const char* after)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::cout << "[   peak   ] " << usage.ru_maxrss / 1024.0 << " MB of memory after " << after << '\n';
}

} // namespace

// The scan of a machine whose fsx.cfg is a gigabyte (sparse) of one endless
// line: the report is written, the copy cut, and the sections after it
// complete. Under Wine the end-to-end run does the same with Ravelo.exe.
TEST(BoundedSection, AGigabyteConfigFileLeavesAWholeReport)
{
    ScratchDirectory scratch(true);
    const std::filesystem::path config = scratch.path() / "AppData" / "Microsoft" / "FSX";
    std::filesystem::create_directories(config);
    std::ofstream(config / "fsx.cfg").close();
    std::filesystem::resize_file(config / "fsx.cfg", std::uintmax_t(1) << 30);
    setenv("XDG_CONFIG_HOME", (scratch.path() / "AppData").c_str(), 1);
    setenv("RAVELO_WINDOWS_DIR", "C:\\Windows", 1);
    reset_scan_state();
    clear_call_counts();
    ASSERT_TRUE(run_scan());
    print_peak_memory("the scan of a 1 GiB fsx.cfg");
    // The substitute reads 64 KiB at a time: once the section is full the
    // copy stops reading, as it must for a log that keeps growing.
    EXPECT_LE(call_counts()["read_some"], section_limit / (64 * 1024) + 2);
    std::string text;
    ASSERT_TRUE(decipher_report(read_file_bytes(report_file_name), text));
    const std::string rule(70, '-');
    const std::string copy = text_between(text, "** fsx.cfg test ******************************************************",
                                     "End of fsx.cfg reached.");
    ASSERT_GT(copy.size(), limit_line.size() + rule.size() + 1);
    EXPECT_EQ(copy.substr(copy.size() - limit_line.size() - rule.size() - 1),
              limit_line + rule + "\n");
    EXPECT_LT(text.size(), section_limit + 64 * 1024);
    EXPECT_NE(text.find("** HKEY_USERS enumeration ***"), std::string::npos);
    reset_scan_state();
}
#endif

// Twenty values of a megabyte each under one matching key.
TEST(BoundedSection, RegistryValuesOfMegabytesAreCutWithTheirSection)
{
    TestKey keys(HKEY_CURRENT_USER);
    const std::string megabyte(1 << 20, 'v');
    for (int i = 0; i < 20; ++i)
        keys.set_text("FSX bulky", ("Value " + std::to_string(i)).c_str(), megabyte);
    reset_scan_state();
    write_bounded_section([&] { enumerate_registry(HKEY_CURRENT_USER, "", 0, false); });
    report_stream << "next" << write_endl;
    const std::string& text = report_stream.text();
    EXPECT_EQ(text.substr(text.size() - limit_line.size() - 5), limit_line + "next\n");
    EXPECT_LE(text.size(), section_limit + limit_line.size() + 5);
    reset_scan_state();
}

// A value no section could hold is not read: its line shows its name.
TEST(BoundedSection, AValueTooLargeToHoldShowsItsNameOnly)
{
    TestKey keys(HKEY_CURRENT_USER);
    // Named in alphabetical order too: Wine lists values sorted, Windows as added.
    keys.set_text("FSX huge", "Fits", "kept");
    keys.set_text("FSX huge", "Huge", std::string(section_limit + 1, 'h'));
    reset_scan_state();
    write_bounded_section([&] { enumerate_registry(HKEY_CURRENT_USER, "", 0, false); });
    EXPECT_EQ(report_stream.text(), keys.printed("FSX huge") + "\n\t-> Fits \tkept\n" +
                                        "\t-> Huge \tValue too large to read...\n");
    reset_scan_state();
}
