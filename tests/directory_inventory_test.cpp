#include "file_fixtures.h"
#include "scan/directory_inventory.h"
#include "scan/file_digests.h"
#include "scan/report.h"
#include "scan/side_by_side.h"
#include "seal/md5.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/posix/call_counts.h"
#include "platform/win32.h"
#endif

namespace fs = std::filesystem;

namespace {

// Digests from md5sum, not from the program's own MD5.
const char empty_digest[] = "d41d8cd98f00b204e9800998ecf8427e";
const char digest_of_x[] = "9dd4e461268c8034f5c8564e155c67a6";       // "x"
const char digest_of_file_f[] = "bf5e6b2ec748885cf1684e4a16321b64";  // "file F"
const char digest_of_file_g[] = "075e047d08a5f14d825337010d43e2f7";  // "file G"
const char digest_of_crlf_eof[] = "b3fb5a46426191eb0e1511ab995a2437"; // "a\r\nb\x1a" "c\r\n"

std::string tree_listing(const std::string& path)
{
    reset_scan_state();
    list_directory(path, 0);
    return report_stream.str();
}

std::string flat_listing(const std::string& path)
{
    reset_scan_state();
    search_levels searches;
    list_directory_flat(path, searches);
    return report_stream.str();
}

std::string file_line(const std::string& name, const std::string& digest, unsigned depth = 0)
{
    return std::string(depth, '\t') + ". " + name + " \t" + digest + "\n";
}

} // namespace

TEST(DirectoryInventory, ListsASubdirectoryWithItsContentBeforeTheNextEntry)
{
    ScratchDirectory scratch;
    fs::create_directory(scratch.path() / "a_dir");
    write_file_bytes(scratch.path() / "a_dir" / "g.txt", "file G");
    write_file_bytes(scratch.path() / "b.txt", "file F");

    EXPECT_EQ(tree_listing(scratch.path().string()),
              "O a_dir\n" + file_line("g.txt", digest_of_file_g, 1) + file_line("b.txt", digest_of_file_f));
}

TEST(DirectoryInventory, StartsAtTheGivenDepth)
{
    ScratchDirectory scratch;
    write_file_bytes(scratch.path() / "b.txt", "file F");
    reset_scan_state();
    list_directory(scratch.path().string(), 2);
    EXPECT_EQ(report_stream.str(), file_line("b.txt", digest_of_file_f, 2));
}

TEST(DirectoryInventory, EmptyAndMissingDirectories)
{
    ScratchDirectory scratch;
    const std::string root = scratch.path().string();
    const std::string missing = windows_join(root, "missing");

    EXPECT_EQ(tree_listing(root), "");
    EXPECT_EQ(flat_listing(root), "O " + root + "\\\n");
    EXPECT_EQ(tree_listing(missing), "");
    EXPECT_EQ(flat_listing(missing), "O " + missing + "\\\nCan't open " + missing + " directory... \n");
}

TEST(DirectoryInventory, DigestsEveryByteAsStoredAndKeepsNamesUnchanged)
{
    ScratchDirectory scratch;
    write_file_bytes(scratch.path() / "crlf and eof.bin", std::string("a\r\nb\x1a" "c\r\n"));
    write_file_bytes(scratch.path() / "empty.txt", "");
    fs::create_directory(scratch.path() / "sub dir.d");
    write_file_bytes(scratch.path() / "sub dir.d" / "my file.v1.txt", "x");

    EXPECT_EQ(tree_listing(scratch.path().string()),
              file_line("crlf and eof.bin", digest_of_crlf_eof) + file_line("empty.txt", empty_digest) +
                  "O sub dir.d\n" + file_line("my file.v1.txt", digest_of_x, 1));
}

TEST(DirectoryInventory, AFileThatCannotBeOpenedIsNotShownAsEmpty)
{
    ScratchDirectory scratch;
    write_file_bytes(scratch.path() / "a_locked.bin", "x");
    write_file_bytes(scratch.path() / "b_empty.txt", "");
    {
        open_refused refusal(scratch.file("a_locked.bin"));
        ASSERT_TRUE(refusal.in_force());
        EXPECT_EQ(tree_listing(scratch.path().string()),
                  file_line("a_locked.bin", "Can't read file...") + file_line("b_empty.txt", empty_digest));
    }
    {
        open_refused refusal(scratch.file("a_locked.bin"));
        EXPECT_EQ(flat_listing(scratch.path().string()),
                  "O " + scratch.path().string() + "\\\n" +
                      file_line("a_locked.bin", "Can't read file...", 1) +
                      file_line("b_empty.txt", empty_digest, 1));
    }
}

TEST(DirectoryInventory, FlatListingSkipsSubdirectories)
{
    ScratchDirectory scratch;
    fs::create_directory(scratch.path() / "sub");
    write_file_bytes(scratch.path() / "sub" / "inner.txt", "file G");
    write_file_bytes(scratch.path() / "outer.txt", "x");

    EXPECT_EQ(flat_listing(scratch.path().string()),
              "O " + scratch.path().string() + "\\\n" + file_line("outer.txt", digest_of_x, 1));
}

TEST(DirectoryInventory, FilesNamedLikeDevicesAreListedButNotOpened)
{
    const struct {
        const char* name;
        bool device;
    } cases[] = {
        {"aux.ini", true},     {"NUL.txt", true},    {"con", true},
        {"Com1.log", true},    {"lpt9", true},       {"prn.tar.gz", true},
        {"nul .txt", true},    {"Aux  .ini", true},  {"com1 .log", true},
        {"com10.txt", false},  {"lpt0.txt", false},  {"console.txt", false},
        {"auxiliary", false},  {"nul_file", false},
    };
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        file_named_like_device file(scratch.path().string(), c.name);
        if (!file.ok())
            GTEST_SKIP() << "this system cannot make a file named " << c.name;
        EXPECT_EQ(tree_listing(scratch.path().string()),
                  file_line(c.name, c.device ? "Can't read file..." : digest_of_x))
            << c.name;
    }
}

TEST(DirectoryInventory, ALinkBackIntoTheTreeIsShownButNotEntered)
{
    ScratchDirectory scratch;
    const std::string root = scratch.path().string();
    fs::create_directory(scratch.path() / "a");
    fs::create_directory(scratch.path() / "b");
    write_file_bytes(scratch.path() / "a" / "data.txt", "x");
    directory_link to_a(windows_join(root, "b"), "to_a", "../a");
    directory_link up(windows_join(root, "b"), "up", "..");
    ASSERT_TRUE(to_a.ok() && up.ok());

    // A link elsewhere is entered; the one back to the top is not.
    EXPECT_EQ(tree_listing(root), "O a\n" + file_line("data.txt", digest_of_x, 1) + "O b\n" +
                                      "\tO to_a\n" + file_line("data.txt", digest_of_x, 2) + "\tO up\n");
}

TEST(DirectoryInventory, PathsBeyondMaxPathAreReportedAndTheListingGoesOn)
{
    ScratchDirectory scratch;
    const std::string root = scratch.path().string();
    ASSERT_LT(root.size(), 150u);
    // root\ddd...d is 200 characters; MAX_PATH allows 259 and a terminator.
    const std::string deep(200 - root.size() - 1, 'd');
    const std::string fits(54, 'c');       // pattern root\d\c\*.* of 259 characters
    const std::string too_long(55, 'e');   // pattern of 260
    const std::string file_fits(58, 'f');  // path of 259
    const std::string file_too_long(59, 'g');
    const fs::path top = scratch.path() / deep;
    fs::create_directories(top / fits);
    fs::create_directories(top / too_long);
    write_file_bytes(top / fits / "f", "x");
    write_file_bytes(top / file_fits, "x");
    write_file_bytes(top / file_too_long, "x");
    fs::create_directory(scratch.path() / "z_after");
    write_file_bytes(scratch.path() / "z_after" / "x.txt", "x");

    EXPECT_EQ(tree_listing(root),
              "O " + deep + "\n" + "\tO " + fits + "\n" + file_line("f", digest_of_x, 2) + "\tO " +
                  too_long + "\n" + "\t\tPath too long...\n" + file_line(file_fits, digest_of_x, 1) +
                  file_line(file_too_long, "Can't read file...", 1) + "O z_after\n" +
                  file_line("x.txt", digest_of_x, 1));

    const std::string long_directory = windows_join(windows_join(root, deep), too_long);
    EXPECT_EQ(flat_listing(long_directory),
              "O " + long_directory + "\\\nCan't open " + long_directory + " directory... \n");
}

#ifndef _WIN32
// Whichever read fails, at the start of a file or part-way through it, that
// file alone shows "Can't read file..." and every other line is unchanged.
TEST(DirectoryInventory, AReadErrorPartWayIsNotShownAsAPartialDigest)
{
    ScratchDirectory scratch;
    const std::string big(600 * 1024, 'x'); // several reads
    write_file_bytes(scratch.path() / "big.bin", big);
    write_file_bytes(scratch.path() / "small.txt", "x");
    write_file_bytes(scratch.path() / "zero.txt", "");
    std::istringstream big_content(big);
    const std::vector<std::string> clean = {file_line("big.bin", MD5(big_content).hex_digest()),
                                            file_line("small.txt", digest_of_x),
                                            file_line("zero.txt", empty_digest)};
    clear_call_counts();
    ASSERT_EQ(tree_listing(scratch.path().string()), clean[0] + clean[1] + clean[2]);
    const unsigned long long reads = call_counts()["ReadFile"];
    ASSERT_GE(reads, 5u);

    for (unsigned failing = 1; failing <= reads; ++failing) {
        fail_call(substitute_call::read_file, failing);
        const std::vector<std::string> listed = lines_of(tree_listing(scratch.path().string()));
        clear_call_failures();
        ASSERT_EQ(listed.size(), clean.size()) << "read " << failing;
        unsigned unreadable = 0;
        for (std::size_t i = 0; i < clean.size(); ++i) {
            const std::string name = clean[i].substr(2, clean[i].find(' ', 2) - 2);
            if (listed[i] + "\n" != clean[i]) {
                EXPECT_EQ(listed[i] + "\n", file_line(name, "Can't read file...")) << "read " << failing;
                ++unreadable;
            }
        }
        EXPECT_EQ(unreadable, 1u) << "read " << failing;
    }
}

// Windows XP and Vista refuse the faster search for every folder: a listing
// asks them once, and a later listing on Windows 7 asks again. The rows run
// in this order in one process, so that one listing's lesson would show in
// the next.
TEST(DirectoryInventory, ListsAlikeOnWindowsBefore7)
{
    ScratchDirectory scratch;
    const std::string root = scratch.file("tree");
    fs::create_directories(scratch.path() / "tree" / "a_dir" / "deeper");
    write_file_bytes(scratch.path() / "tree" / "a_dir" / "g.txt", "file G");
    write_file_bytes(scratch.path() / "tree" / "b.txt", "file F");
    fs::create_directories(scratch.path() / "Windows" / "winsxs" / "x86_microsoft.one");
    fs::create_directories(scratch.path() / "Windows" / "winsxs" / "x86_microsoft.two");
    const std::string tree = "O a_dir\n\tO deeper\n" + file_line("g.txt", digest_of_file_g, 1) +
                             file_line("b.txt", digest_of_file_f);
    const std::string flat = "O " + root + "\\\n" + file_line("b.txt", digest_of_file_f, 1);
    const std::string windows = scratch.file("Windows");
    const std::string winsxs = windows_join(windows, "winsxs");
    const std::string side_by_side = "System dir                    : " + windows +
                                     "\nSide-by-side libraries list   : \nO " + winsxs +
                                     "\\x86_microsoft.one\\\nO " + winsxs + "\\x86_microsoft.two\\\n";
    const struct {
        const char* name;
        bool before_windows_7;
        std::function<void()> list;
        std::string expected;
        unsigned long long searches, at_basic_level;
    } cases[] = {
        {"a tree on Windows XP: 3 folders, one refusal", true, [&] { list_directory(root, 0); }, tree, 4, 1},
        {"a flat folder on Windows XP", true,
         [&] {
             search_levels searches;
             list_directory_flat(root, searches);
         },
         flat, 2, 1},
        {"side by side on Windows XP: the winsxs search, one refusal, 2 folders", true,
         [&] { list_side_by_side_of(windows.c_str()); }, side_by_side, 4, 1},
        {"a tree on Windows 7 after one on XP", false, [&] { list_directory(root, 0); }, tree, 3, 3},
        {"a flat folder on Windows 7 after one on XP", false,
         [&] {
             search_levels searches;
             list_directory_flat(root, searches);
         },
         flat, 1, 1},
        {"side by side on Windows 7 after XP", false, [&] { list_side_by_side_of(windows.c_str()); },
         side_by_side, 3, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        search_as_before_windows_7(c.before_windows_7);
        reset_scan_state();
        clear_call_counts();
        c.list();
        EXPECT_EQ(report_stream.str(), c.expected);
        std::map<std::string, unsigned long long> counts = call_counts();
        EXPECT_EQ(counts["FindFirstFileExA"], c.searches);
        EXPECT_EQ(counts["FindFirstFileExA at the basic level"], c.at_basic_level);
    }
    search_as_before_windows_7(false);
}

TEST(DirectoryInventory, FoldersWhoseFileSystemGivesNoIndexAreListedWhole)
{
    ScratchDirectory scratch;
    fs::create_directories(scratch.path() / "a" / "b");
    write_file_bytes(scratch.path() / "a" / "b" / "deep.txt", "x");
    give_every_folder_index_zero(true);
    EXPECT_EQ(tree_listing(scratch.path().string()),
              "O a\n\tO b\n" + file_line("deep.txt", digest_of_x, 2));
    clear_call_failures();
}

TEST(DirectoryInventory, AFailingSearchEndsThatDirectoryQuietly)
{
    ScratchDirectory scratch;
    fs::create_directory(scratch.path() / "sub");
    write_file_bytes(scratch.path() / "sub" / "a.txt", "x");
    write_file_bytes(scratch.path() / "sub" / "b.txt", "x");
    write_file_bytes(scratch.path() / "z.txt", "x");

    // The fifth FindNextFileA, in the subdirectory after ".", ".." and
    // a.txt, fails; the parent goes on.
    fail_call(substitute_call::find_next_file, 5);
    EXPECT_EQ(tree_listing(scratch.path().string()),
              "O sub\n" + file_line("a.txt", digest_of_x, 1) + file_line("z.txt", digest_of_x));
    fail_call(substitute_call::find_first_file, 2);
    EXPECT_EQ(tree_listing(scratch.path().string()), "O sub\n" + file_line("z.txt", digest_of_x));
    clear_call_failures();
}
#endif

#ifndef _WIN32
// Once a section holds no more, a listing opens no more files than those its
// lanes and waiting line had already taken.
TEST(DirectoryInventory, AFullSectionEndsEveryListing)
{
    ScratchDirectory scratch;
    const std::string root = scratch.path().string();
    for (int i = 0; i < 300; ++i)
        write_file_bytes(scratch.path() / ("file " + std::to_string(i)), "x");
    const struct {
        const char* name;
        void (*list)(const std::string& root);
    } cases[] = {
        {"tree", [](const std::string& root) { list_directory(root, 0); }},
        {"flat",
         [](const std::string& root) {
             search_levels searches;
             list_directory_flat(root, searches);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset_scan_state();
        report_stream.bytes().limit_to(200);
        clear_call_counts();
        c.list(root);
        EXPECT_FALSE(report_stream.good());
        EXPECT_LE(call_counts()["CreateFileA"], max_md5_lanes + file_digest_queue::max_waiting_files);
    }
    report_stream.bytes().lift_limit();
    reset_scan_state();
}
#endif
