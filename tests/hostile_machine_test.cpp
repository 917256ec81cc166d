// A customer's machine at the limits Windows allows: the longest names,
// the deepest keys, a key of 100,000 values, a folder of 100,000 files. The
// scan ends, writes all of it, and its sections stay within their bound.
#include "file_fixtures.h"
#include "registry_fixture.h"
#include "scan/directory_inventory.h"
#include "scan/registry_enumeration.h"
#include "scan/report.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

HKEY create_below(HKEY parent, const std::string& name)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS | scan_view, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << name.size() << " characters";
    return key;
}

std::string walk(HKEY root)
{
    reset_scan_state();
    write_bounded_section([&] { enumerate_registry(root, "", 0, false); });
    return report_stream.str();
}

// Files f000000.dds, f000001.dds and so on in folder, each holding "x". A
// Win32 program under Wine reads the whole folder before it makes each new
// file (it must look for the name in every case), which would take hours
// here; a Unix program makes them at once.
bool make_numbered_files(const std::filesystem::path& folder, int count)
{
    std::filesystem::create_directory(folder);
#ifdef _WIN32
    if (running_under_wine()) {
        const std::filesystem::path parent = folder.parent_path();
        std::ofstream(parent / "make_files.sh", std::ios::binary)
            << "awk 'BEGIN { for (i = 0; i < " << count << "; i++) { f = sprintf(\"" << folder.filename().string()
            << "/f%06d.dds\", i); printf \"x\" > f; close(f) } }' && touch made\n";
        if (!run_unix_program(parent.string(), "Z:\\bin\\sh", "sh make_files.sh"))
            return false;
        for (int tries = 0; tries < 1200 && !entry_exists(parent.string(), "made"); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return entry_exists(parent.string(), "made");
    }
#endif
    char name[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "f%06d.dds", i);
        std::ofstream(folder / name).put('x');
    }
    return true;
}

std::size_t count_lines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(HostileMachine, TheLongestKeyAndValueNamesAreWrittenWhole)
{
    TestKey keys;
    const std::string key_name = "fsx" + std::string(252, 'k');
    const std::string value_name = std::string(16383, 'v');
    // Wine refuses a path of 260 characters or more: the key is made below
    // its parent.
    HKEY parent = create_below(keys.root(), keys.path());
    HKEY key = create_below(parent, key_name);
    EXPECT_EQ(RegSetValueExA(key, value_name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("data"), 5),
              ERROR_SUCCESS);
    RegCloseKey(key);
    RegCloseKey(parent);
    EXPECT_EQ(walk(keys.root()),
              keys.printed(key_name) + "\n\t-> " + value_name + " \tdata\n");
    reset_scan_state();
}

// The registry's own limit is 512 levels; Windows creates at most 32 at a
// time, so each key is made below the one before.
TEST(HostileMachine, KeysNestedNearTheDepthLimitAreReached)
{
    TestKey keys;
    const int depth = 500;
    HKEY parent = create_below(keys.root(), keys.path());
    std::string below;
    for (int level = 1; level <= depth; ++level) {
        const std::string name = level == depth ? "fsx" : "n";
        HKEY key = create_below(parent, name);
        RegCloseKey(parent);
        parent = key;
        below += (below.empty() ? "" : "\\") + name;
    }
    RegSetValueExA(parent, "Depth", 0, REG_SZ, reinterpret_cast<const BYTE*>("500"), 4);
    RegCloseKey(parent);
    EXPECT_EQ(walk(keys.root()), keys.printed(below) + "\n\t-> Depth \t500\n");
    reset_scan_state();
}

TEST(HostileMachine, AKeyOfAHundredThousandValuesIsWrittenWhole)
{
    TestKey keys;
    HKEY key = create_below(keys.root(), keys.path("FSX values"));
    char name[16];
    for (int i = 0; i < 100000; ++i) {
        std::snprintf(name, sizeof name, "v%06d", i);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    }
    RegCloseKey(key);
    const std::string text = walk(keys.root());
    EXPECT_EQ(count_lines(text), 100001u);
    EXPECT_EQ(text.substr(0, text.find("\n\t-> v000001 ")),
              keys.printed("FSX values") + "\n\t-> v000000 \t1");
    EXPECT_EQ(text.substr(text.size() - 15), "\t-> v099999 \t1\n");
    reset_scan_state();
}

TEST(HostileMachine, AFolderOfAHundredThousandFilesIsListedWhole)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(make_numbered_files(scratch.path() / "files", 100000));
    reset_scan_state();
    write_bounded_section([&] { list_directory((scratch.path() / "files").string(), 0); });
    const std::string& text = report_stream.text();
    EXPECT_EQ(count_lines(text), 100000u);
    EXPECT_EQ(text.substr(0, 48), ". f000000.dds \t9dd4e461268c8034f5c8564e155c67a6\n");
    EXPECT_EQ(text.substr(text.size() - 48), ". f099999.dds \t9dd4e461268c8034f5c8564e155c67a6\n");
    reset_scan_state();
}
