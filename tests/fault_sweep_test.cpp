// Every call the scan makes of the substitute is failed once, one at a time,
// in every way Windows can fail it. Each time the scan must end with nine
// banners, the failure must show where it happened as that section's own
// failure line (or leave out only what it could not read, where the section
// says nothing of such failures), and every other section must be byte for
// byte what it is without the failure. A failed report write must leave the
// earlier report as it was.
#ifndef _WIN32
#include "platform/posix/fault_injection.h"
#include "registry_fixture.h"
#include "scan/report.h"
#include "scan/scan_state.h"
#include "scan/scan_worker.h"
#include "seal/report_cipher.h"
#include "test_support.h"
#include "tools/report_decipher.h"
#include "tools/report_shape.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

enum Part { head, basic, vok, modules, dll_xml, fsx_cfg, side_by_side, machine, user, users, parts };

const std::string earlier_report = "an earlier report, which a failed write must leave alone";
const char cannot_read[] = " \tCan't read file...";

// The text before the first banner, then each section's text after its
// banner; empty when the banners are not all there, in order.
std::vector<std::string> split_report(const std::string& text)
{
    std::vector<std::string> split;
    std::size_t from = 0;
    for (const char* title : section_title_lines) {
        const std::size_t at = text.find(std::string(title) + "\n", from);
        if (at == std::string::npos)
            return {};
        split.push_back(text.substr(from, at - from));
        from = text.find("\n\n", at) + 2;  // past the banner's empty line
    }
    split.push_back(text.substr(from));
    return split;
}

// The part of the report being written: its count of banners so far.
Part part_written_now()
{
    const std::string& text = report_stream.text();
    int banners = 0;
    for (const char* title : section_title_lines)
        banners += text.find(title) != std::string::npos;
    return static_cast<Part>(banners);
}

// Where the armed failure happened: the part of the report being written,
// its last line then, and for a registry call the key's path.
Part failed_in = parts;
std::string last_line_then, failed_key;
void note_where_it_failed(const std::string& key_path)
{
    if (failed_in != parts)
        return;
    failed_in = part_written_now();
    const std::string& text = report_stream.text();
    const std::size_t start = text.rfind('\n', text.size() - 1);
    last_line_then = text.substr(start + 1, text.size() - start - 2);
    failed_key = key_path;
}

bool is_registry_failure(const std::string& line)
{
    const std::string rest = line.substr(line.find_first_not_of('\t') == std::string::npos
                                             ? line.size()
                                             : line.find_first_not_of('\t'));
    return rest.rfind("Can't find registry entry: ", 0) == 0 ||
           rest.rfind("Can't obtain subkeys length table for key: ", 0) == 0;
}

bool is_folder_failure(const std::string& line)
{
    return line == "Can't open winsxs directory... " ||
           (line.rfind("Can't open ", 0) == 0 && line.size() > 14 &&
            line.compare(line.size() - 14, 14, " directory... ") == 0);
}

// A file's line of the baseline with its digest given up for "Can't read
// file...".
bool unreadable_version(const std::string& line, const std::string& baseline)
{
    const std::size_t separator = baseline.rfind(" \t");
    return separator != std::string::npos && line == baseline.substr(0, separator) + cannot_read;
}

// What a failure changed of a section: between a run of lines common to
// both at its start and one at its end, the lines lost and those put in
// their stead.
struct Change {
    std::vector<std::string> lost, put;
};

Change change_between(const std::string& baseline, const std::string& faulted)
{
    const std::vector<std::string> was = lines_of(baseline), is = lines_of(faulted);
    std::size_t same_start = 0, same_end = 0;
    while (same_start < was.size() && same_start < is.size() && was[same_start] == is[same_start])
        ++same_start;
    while (same_end < was.size() - same_start && same_end < is.size() - same_start &&
           was[was.size() - 1 - same_end] == is[is.size() - 1 - same_end])
        ++same_end;
    return {std::vector<std::string>(was.begin() + same_start, was.end() - same_end),
            std::vector<std::string>(is.begin() + same_start, is.end() - same_end)};
}

// One place changed: lines left out (what could not be read), failure lines
// in their stead, or one file's digest given up for "Can't read file...".
bool one_local_change(const Change& change)
{
    if (change.put.size() == 1 && change.lost.size() == 1 &&
        unreadable_version(change.put[0], change.lost[0]))
        return true;
    for (const std::string& line : change.put)
        if (!is_registry_failure(line) && !is_folder_failure(line))
            return false;
    return true;
}

// Every key whose lines were lost is the failed key or below it: a failure
// takes nothing of its siblings or parents.
bool lost_below(const Change& change, const std::string& key)
{
    if (key.empty())  // the root: the whole hive is below it
        return true;
    for (const std::string& line : change.lost) {
        const std::string rest = line.substr(std::min(line.find_first_not_of('\t'), line.size()));
        if (rest.rfind("-> ", 0) == 0 || is_registry_failure(line))
            continue;
        const std::size_t below_root = rest.find('\\');
        const std::string path = below_root == std::string::npos ? "" : rest.substr(below_root + 1);
        if (path != key && path.rfind(key + "\\", 0) != 0)
            return false;
    }
    return true;
}

// The copy between the rule lines of an echo section.
std::vector<std::string> copied_lines(const std::string& section)
{
    std::vector<std::string> lines = lines_of(section);
    if (lines.size() < 6)
        return {};
    return std::vector<std::string>(lines.begin() + 2, lines.end() - 5);
}

// An echo whose file could not be opened says so alone; one whose read
// failed keeps the lines read before and says it stopped.
bool echo_failed_as_documented(const std::string& baseline, const std::string& faulted)
{
    const std::vector<std::string> was = copied_lines(baseline), is = copied_lines(faulted);
    if (is == std::vector<std::string>{"File not found..."})
        return true;
    if (is.empty() || is.back() != "Can't read file to its end..." || is.size() - 1 > was.size())
        return false;
    for (std::size_t i = 0; i + 2 < is.size(); ++i)
        if (is[i] != was[i])
            return false;
    // The last line read may have been cut by the failure.
    return is.size() < 2 || was[is.size() - 2].rfind(is[is.size() - 2], 0) == 0;
}

enum class Target { registry, search, open, read, write, move };

struct Failure {
    const char* name;
    Target target;
    std::function<void(unsigned nth)> arm;
    bool retried;  // an enumeration's ERROR_MORE_DATA: asked again, nothing lost
};

std::vector<Failure> failures()
{
    auto registry = [](const char* name, RegistryCall call, LONG result) {
        return Failure{name, Target::registry,
                       [=](unsigned nth) { fail_registry_call(call, nth - 1, result); },
                       result == ERROR_MORE_DATA && call != RegistryCall::query_value};
    };
    auto file = [](const char* name, Target target, substitute_call call) {
        return Failure{name, target, [=](unsigned nth) { fail_call(call, nth); }, false};
    };
    return {
        registry("RegOpenKeyExA refused", RegistryCall::open_key, ERROR_ACCESS_DENIED),
        registry("RegQueryInfoKeyA refused", RegistryCall::query_info_key, ERROR_ACCESS_DENIED),
        registry("RegEnumKeyExA ERROR_MORE_DATA", RegistryCall::enum_key, ERROR_MORE_DATA),
        registry("RegEnumKeyExA refused", RegistryCall::enum_key, ERROR_KEY_DELETED),
        registry("RegEnumValueA ERROR_MORE_DATA", RegistryCall::enum_value, ERROR_MORE_DATA),
        registry("RegEnumValueA refused", RegistryCall::enum_value, ERROR_ACCESS_DENIED),
        registry("RegQueryValueExA ERROR_MORE_DATA", RegistryCall::query_value, ERROR_MORE_DATA),
        registry("RegQueryValueExA refused", RegistryCall::query_value, ERROR_ACCESS_DENIED),
        file("FindFirstFileExA refused", Target::search, substitute_call::find_first_file),
        file("FindNextFileA refused", Target::search, substitute_call::find_next_file),
        file("a file refused opening", Target::open, substitute_call::open_file),
        file("a read failing part-way", Target::read, substitute_call::read_file),
        file("WriteFile failing", Target::write, substitute_call::write_file),
        file("FlushFileBuffers failing", Target::write, substitute_call::flush_file),
        file("MoveFileExA refused", Target::move, substitute_call::move_file),
    };
}

const char* const hives[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"};

void check_local_change(const Failure& failure, const std::string& baseline,
                        const std::string& faulted, const std::string& where)
{
    const Change change = change_between(baseline, faulted);
    EXPECT_TRUE(one_local_change(change)) << where << " in section " << failed_in << ":\n" << faulted;
    if (failure.target == Target::open || failure.target == Target::read) {
        EXPECT_EQ(change.put.size(), 1u) << where << ": only the file's line says it";
    }
    if (failure.target != Target::registry)
        return;
    EXPECT_TRUE(lost_below(change, failed_key)) << where << " on " << failed_key;
    // A visit that is writing its key failed right after the key's header:
    // its failure line must follow.
    const std::string key = std::string(hives[failed_in - machine]) + "\\" + failed_key;
    const std::string header = last_line_then.substr(std::min(last_line_then.find_first_not_of('\t'),
                                                              last_line_then.size()));
    const bool printing = header == key;
    const bool opening = std::string(failure.name).rfind("RegOpenKeyExA", 0) == 0 ||
                         std::string(failure.name).rfind("RegQueryInfoKeyA", 0) == 0;
    if (printing && opening) {
        const char* line = failure.name[3] == 'O' ? "Can't find registry entry: "
                                                  : "Can't obtain subkeys length table for key: ";
        EXPECT_NE(faulted.find(line + key + "\n"), std::string::npos) << where << " on " << key;
    }
}

// A machine with the simulator, the add-on and a few hundred registry keys,
// a few of them matching, in a scratch folder that is the current one.
class FaultSweep : public testing::Test {
protected:
    void SetUp() override
    {
        reset_registry();
        make_files();
        make_registry();
        setenv("XDG_CONFIG_HOME", scratch.file("AppData").c_str(), 1);
        setenv("RAVELO_WINDOWS_DIR", scratch.file("Windows").c_str(), 1);
    }
    void TearDown() override
    {
        watch_injected_failures(nullptr);
        clear_call_failures();
        reset_registry();
        reset_scan_state();
    }

    void make_files()
    {
        const std::string big(300 * 1024, 'b');  // more than one read
        const std::map<std::string, std::string> files = {
            {"FSX/Vok/readme.txt", "Vok panel\r\n"},
            {"FSX/Vok/Gauges/panel.gau", big},
            {"FSX/Vok/Gauges/radio.gau", "MZ radio"},
            {"FSX/Vok/Textures/Night/panel.dds", "DDS night"},
            {"FSX/Vok/Textures/panel.dds", "DDS day"},
            {"FSX/Modules/VokPanel.dll", "MZ module"},
            {"AppData/Microsoft/FSX/dll.xml", "<SimBase.Document>\r\n<Path>x</Path>\r\n</SimBase.Document>\r\n"},
            {"AppData/Microsoft/FSX/fsx.cfg", "[Main]\r\n" + std::string(100000, 'c') + "\r\n[Trusted]\r\nx=1\r\n"},
            {"Windows/winsxs/x86_microsoft.vc80.crt_1/msvcr80.dll", "MZ crt"},
            {"Windows/winsxs/x86_microsoft.vc80.crt_1/msvcp80.dll", "MZ cpp"},
            {"Windows/winsxs/x86_microsoft.flightsimulator.simconnect_1/SimConnect.dll", big},
            {"Windows/winsxs/amd64_microsoft.vc80.crt_1/msvcr80.dll", "MZ 64"},
        };
        for (const auto& [path, bytes] : files) {
            std::filesystem::create_directories((scratch.path() / path).parent_path());
            write_file_bytes(scratch.path() / path, bytes);
        }
    }

    void make_registry()
    {
        PlantedKeys machine(HKEY_LOCAL_MACHINE, {});
        machine.set_text("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", "SetupPath",
                         scratch.file("FSX") + "\\");
        for (int vendor = 0; vendor < 12; ++vendor)
            for (int product = 0; product < 12; ++product) {
                const std::string key = "Software\\Vendor " + std::to_string(vendor) +
                                        "\\Product " + std::to_string(product);
                machine.set_text(key, "Version", std::to_string(vendor * product));
                machine.set_dword(key, "Flags", vendor + product);
            }
        machine.set_text("Software\\Vendor 3\\FSX Tools\\Deep", "Path", "C:\\Tools");
        machine.set_text("Software\\Vendor 5\\Product 2", "Addon", "D:\\fsx\\addon");
        machine.set_text("Software\\Vendor 5\\Product 2\\SimConnect", "Port", "500");
        PlantedKeys user(HKEY_CURRENT_USER, {});
        for (int app = 0; app < 40; ++app)
            user.set_text("Software\\App " + std::to_string(app), "", "app");
        user.set_text("Software\\App 7\\Flight Simulator", "Window", "1");
        user.set_dword("Software\\App 9", "fsx", 1);
    }

    // One scan, with the earlier report in place: its text, or "" when it
    // was not written.
    std::string scan(bool& written)
    {
        write_file_bytes(scratch.path() / report_file_name, earlier_report);
        reset_scan_state();
        written = run_scan();
        return report_stream.text();
    }

    ScratchDirectory scratch{true};
};

} // namespace

TEST_F(FaultSweep, EveryFailureShowsWhereItHappenedAndNowhereElse)
{
    bool written = false;
    const std::string baseline = scan(written);
    ASSERT_TRUE(written);
    const std::vector<std::string> whole = split_report(baseline);
    ASSERT_EQ(whole.size(), std::size_t(parts));
    ASSERT_NE(whole[machine].find("Vendor 5\\Product 2\\SimConnect"), std::string::npos);
    ASSERT_NE(whole[vok].find("panel.gau"), std::string::npos);
    watch_injected_failures(note_where_it_failed);

    unsigned runs = 0, injected = 0, sections_lost = 0;
    for (const Failure& failure : failures()) {
        for (unsigned nth = 1;; ++nth) {
            clear_call_failures();
            clear_registry_faults();
            failure.arm(nth);
            failed_in = parts;
            const std::string text = scan(written);
            ++runs;
            if (failed_in == parts)
                break;
            ++injected;
            const std::string where = std::string(failure.name) + ", call " + std::to_string(nth);
            const std::vector<std::string> split = split_report(text);
            ASSERT_EQ(split.size(), std::size_t(parts)) << where << ": the nine banners";
            ASSERT_EQ(open_registry_handles(), 0u) << where;
            const std::string file = read_file_bytes(scratch.path() / report_file_name);
            std::string sealed;
            EXPECT_FALSE(std::filesystem::exists(scratch.file("Ravelo_Report.dat.tmp"))) << where;
            if (!written) {
                EXPECT_EQ(file, earlier_report) << where << ": the earlier report";
            } else {
                EXPECT_TRUE(decipher_report(file, sealed) && sealed == text) << where << ": the report file";
            }
            // Only the report's own file is opened, written or moved after
            // the last section; a refused move is made good by a rewrite.
            const bool sealing = failure.target == Target::write || failure.target == Target::move ||
                                 (failure.target == Target::open && failed_in == users);
            EXPECT_EQ(written, !sealing || failure.target == Target::move) << where;
            if (failure.retried || sealing) {
                EXPECT_EQ(text, baseline) << where << ": nothing changes";
                continue;
            }
            for (int part = head; part < parts; ++part) {
                const bool touched = part == failed_in ||
                                     (failed_in == head && (part == basic || part == vok || part == modules));
                if (!touched && split[part] != whole[part]) {
                    ++sections_lost;
                    ADD_FAILURE() << where << " changed another section, " << part;
                }
            }
            switch (failed_in) {
            case head:
                EXPECT_EQ(split[head], "Can't find FSX registry entry.\n") << where;
                EXPECT_NE(split[basic].find("\nFSX path:            \n"), std::string::npos) << where;
                EXPECT_EQ(split[vok] + split[modules], "\n\n\n\n") << where;
                break;
            case dll_xml:
            case fsx_cfg:
                EXPECT_TRUE(echo_failed_as_documented(whole[failed_in], split[failed_in])) << where;
                break;
            default:
                check_local_change(failure, whole[failed_in], split[failed_in], where);
            }
        }
    }
    std::cout << "[  sweep   ] " << runs << " scans, " << injected << " failures injected, "
              << sections_lost << " sections lost\n";
    EXPECT_GT(injected, 1000u);
}

namespace {

bool temporary_file_present_at_failure;
void note_temporary_file(const std::string&)
{
    temporary_file_present_at_failure = std::filesystem::exists("Ravelo_Report.dat.tmp");
}

} // namespace

// The earlier report cannot be replaced (every rename refused), and another
// call of the sealing fails. The rewrite in place empties the earlier report
// first, so the temporary file keeps the new one until the rewrite has
// succeeded; only a rewrite that lacks space deletes it and tries again.
TEST_F(FaultSweep, ARefusedReplacementThenAnotherFailureLosesNoMoreThanTheRewrite)
{
    enum Holds { earlier, the_new_one, part_of_the_new_one };
    const struct {
        const char* name;
        std::function<void()> arm;
        bool written;
        Holds report;
        bool temporary_holds_new;  // otherwise no temporary file is left
        bool temporary_gone_at_last_failure;
    } cases[] = {
        {"the temporary file's write failing", [] { fail_call(substitute_call::write_file, 1); },
         false, earlier, false, false},
        {"the temporary file's write failing and its first delete refused",
         [] {
             fail_call(substitute_call::write_file, 1);
             fail_call(substitute_call::delete_file, 1);
         },
         false, earlier, false, false},
        {"the temporary file's flush failing", [] { fail_call(substitute_call::flush_file, 1); }, false,
         earlier, false, false},
        {"the temporary file's flush not offered (ERROR_INVALID_FUNCTION)",
         [] { fail_call(substitute_call::flush_file, 1, 1, ERROR_INVALID_FUNCTION); }, true, the_new_one,
         false, false},
        {"its deletion refused once", [] { fail_call(substitute_call::delete_file, 1); }, true, the_new_one,
         false, false},
        {"the rewrite's open refused", [] { fail_call(substitute_call::open_file, 2); }, false, earlier, true,
         false},
        {"the in-place write fails", [] { fail_call(substitute_call::write_file, 2, 1, ERROR_WRITE_FAULT); },
         false, part_of_the_new_one, true, false},
        {"the in-place flush fails", [] { fail_call(substitute_call::flush_file, 2); }, false,
         part_of_the_new_one, true, false},
        {"the in-place flush not offered (ERROR_NOT_SUPPORTED)",
         [] { fail_call(substitute_call::flush_file, 2, 1, ERROR_NOT_SUPPORTED); }, true, the_new_one, false,
         false},
        {"the in-place write out of space once", [] { fail_call(substitute_call::write_file, 2); }, true,
         the_new_one, false, false},
        {"the in-place write out of space twice",
         [] { fail_call(substitute_call::write_file, 2, 2, ERROR_HANDLE_DISK_FULL); }, false,
         part_of_the_new_one, false, true},
        {"out of space, and the temporary file cannot be deleted",
         [] {
             fail_call(substitute_call::write_file, 2);
             fail_call(substitute_call::delete_file, 1, UINT_MAX);
         },
         true, the_new_one, true, false},
    };
    bool written = false;
    const std::string text = scan(written);
    ASSERT_TRUE(written);
    const std::string sealed = read_file_bytes(scratch.path() / report_file_name);
    const std::string temporary = scratch.file("Ravelo_Report.dat.tmp");
    watch_injected_failures(note_temporary_file);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file_bytes(scratch.path() / report_file_name, earlier_report);
        clear_call_failures();
        fail_call(substitute_call::move_file, 1, UINT_MAX);
        temporary_file_present_at_failure = false;
        c.arm();
        EXPECT_EQ(seal_report(), c.written);
        clear_call_failures();
        const std::string file = read_file_bytes(scratch.path() / report_file_name);
        switch (c.report) {
        case earlier:
            EXPECT_TRUE(file == earlier_report) << "the earlier report";
            break;
        case the_new_one:
            EXPECT_TRUE(file == sealed) << "the new report";
            break;
        case part_of_the_new_one:
            EXPECT_TRUE(file.size() <= sealed.size() && sealed.compare(0, file.size(), file) == 0)
                << "part of the new report";
        }
        std::string plain;
        if (c.temporary_holds_new) {
            EXPECT_TRUE(std::filesystem::exists(temporary) && decipher_report(read_file_bytes(temporary), plain) &&
                        plain == text)
                << "the new report under the temporary name";
        } else {
            EXPECT_FALSE(std::filesystem::exists(temporary));
        }
        if (c.temporary_gone_at_last_failure) {
            EXPECT_FALSE(temporary_file_present_at_failure) << "the temporary file gone before the rewrite";
        }
        std::filesystem::remove(temporary);
    }
}
#endif
