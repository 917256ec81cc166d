#include "file_fixtures.h"
#include "seal/report_cipher.h"
#include "test_support.h"
#include "tools/report_decipher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#ifndef _WIN32
#include "platform/posix/call_counts.h"
#include "platform/win32.h"
#include <climits>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::uint32_t word_from_hex(const std::string& hex)
{
    return static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
}

struct XteaVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Published XTEA known answers (hex, words big-endian as in the sources).
const XteaVector xtea_vectors[] = {
    {"000102030405060708090a0b0c0d0e0f", "4142434445464748", "497df3d072612cb5"},
    {"000102030405060708090a0b0c0d0e0f", "4141414141414141", "e78f2d13744341d8"},
    {"000102030405060708090a0b0c0d0e0f", "5a5b6e278948d77f", "4141414141414141"},
    {"00000000000000000000000000000000", "4142434445464748", "a0390589f8b8efa5"},
    {"00000000000000000000000000000000", "4141414141414141", "ed23375a821a8c2d"},
    {"00000000000000000000000000000000", "70e1225d6e4e7655", "4141414141414141"},
    {"00000000000000000000000000000000", "0000000000000000", "dee9d4d8f7131ed9"},
    {"27f917b1c1da899360e2acaaa6eb923d", "af20a390547571aa", "d26428af0a202283"},
};

std::string sealed_bytes_of(const std::string& text)
{
    ScratchDirectory scratch;
    const std::string file = scratch.file("report.dat");
    EXPECT_TRUE(seal_text(text, file.c_str()));
    return read_file_bytes(file);
}

std::uint32_t load32_le(const std::string& bytes, std::size_t at)
{
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i)
        word = word << 8 | static_cast<unsigned char>(bytes[at + i]);
    return word;
}

// A report file at path that deciphers to text.
bool holds_report(const std::string& path, const std::string& text)
{
    std::string plain;
    return fs::exists(path) && decipher_report(read_file_bytes(path), plain) && plain == text;
}

// Read-only as Windows means it: FILE_ATTRIBUTE_READONLY there, no write
// permission for the owner here.
void set_read_only(const std::string& path, bool on)
{
#ifdef _WIN32
    SetFileAttributesA(path.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
    chmod(path.c_str(), on ? 0444 : 0644);
#endif
}

// Seals text into path and checks that it failed; the substitute also
// counts the waits, which must be none.
void expect_refused_at_once(const std::string& text, const std::string& path)
{
#ifndef _WIN32
    clear_call_counts();
#endif
    EXPECT_FALSE(seal_text(text, path.c_str()));
#ifndef _WIN32
    EXPECT_EQ(call_counts()["Sleep"], 0u) << "no wait can mend this";
#endif
}

// The deciphered block at index, padding included.
std::string plain_block(const std::string& sealed, std::size_t index)
{
    std::uint32_t block[2] = {load32_le(sealed, 8 * index), load32_le(sealed, 8 * index + 4)};
    xtea_decipher(block, report_key);
    std::string plain;
    for (std::uint32_t word : block)
        for (int i = 0; i < 4; ++i)
            plain += static_cast<char>(word >> (8 * i));
    return plain;
}

} // namespace

TEST(Xtea, MatchesPublishedKnownAnswers)
{
    for (const auto& vector : xtea_vectors) {
        const std::string key(vector.key), plain(vector.plain), cipher(vector.cipher);
        std::uint32_t k[4];
        for (int i = 0; i < 4; ++i)
            k[i] = word_from_hex(key.substr(8 * i, 8));
        std::uint32_t block[2] = {word_from_hex(plain.substr(0, 8)), word_from_hex(plain.substr(8))};
        xtea_encipher(block, k);
        EXPECT_EQ(block[0], word_from_hex(cipher.substr(0, 8))) << vector.plain;
        EXPECT_EQ(block[1], word_from_hex(cipher.substr(8))) << vector.plain;
        xtea_decipher(block, k);
        EXPECT_EQ(block[0], word_from_hex(plain.substr(0, 8))) << vector.plain;
        EXPECT_EQ(block[1], word_from_hex(plain.substr(8))) << vector.plain;
    }
}

TEST(Sealing, StoresBlocksAsLittleEndianWordsUnderTheReportKey)
{
    const std::string sealed = sealed_bytes_of("ABCDEFGH");
    ASSERT_EQ(sealed.size(), 8u);
    std::uint32_t block[2] = {0x44434241, 0x48474645};
    encipher_block(block);
    EXPECT_EQ(load32_le(sealed, 0), block[0]);
    EXPECT_EQ(load32_le(sealed, 4), block[1]);
    EXPECT_EQ(plain_block(sealed, 0), "ABCDEFGH");
}

TEST(Sealing, PadsWithZerosToWholeBlocks)
{
    const std::string thirteen = "Thirteen byte";
    const std::string sealed = sealed_bytes_of(thirteen);
    ASSERT_EQ(sealed.size(), 16u);
    EXPECT_EQ(plain_block(sealed, 1), std::string(" byte\0\0\0", 8));

    EXPECT_EQ(sealed_bytes_of(std::string(24, 'x')).size(), 24u);
    EXPECT_EQ(sealed_bytes_of("").size(), 0u);
}

TEST(Sealing, EnciphersEachBlockOnItsOwn)
{
    const std::string sealed = sealed_bytes_of("SameSameSameSame");
    ASSERT_EQ(sealed.size(), 16u);
    EXPECT_EQ(sealed.substr(0, 8), sealed.substr(8, 8));
}

TEST(Sealing, KeepsTextAfterAZeroByte)
{
    // A config file saved as UTF-16 puts zero bytes in the report.
    const std::string text = std::string("f\0s\0x\0.\0c\0f\0g\0", 14) + "\nlater sections\n";
    std::string plain;
    ASSERT_TRUE(decipher_report(sealed_bytes_of(text), plain));
    EXPECT_EQ(plain, text);
}

TEST(Sealing, DeciphersEveryLengthLikeOneBlockAtATime)
{
    // Blocks are deciphered in groups: every length around a group's edge.
    std::string text;
    for (int length = 0; length < 300; ++length) {
        text += static_cast<char>('a' + length % 26);
        std::string plain;
        ASSERT_TRUE(decipher_report(sealed_bytes_of(text + "\n"), plain));
        ASSERT_EQ(plain, text + "\n") << length;
    }
}

TEST(Sealing, ReplacesAnEarlierReport)
{
    ScratchDirectory scratch;
    const std::string file = scratch.file("Ravelo_Report.dat");
    ASSERT_TRUE(seal_text("first report, quite long\n", file.c_str()));
    ASSERT_TRUE(seal_text("second\n", file.c_str()));
    std::string plain;
    ASSERT_TRUE(decipher_report(read_file_bytes(file), plain));
    EXPECT_EQ(plain, "second\n");
    EXPECT_FALSE(fs::exists(file + ".tmp"));
}

TEST(Sealing, ReportFailureAndKeepsTheEarlierReportWhenTheFileCannotBeMade)
{
    ScratchDirectory scratch;
    const std::string file = scratch.file("Ravelo_Report.dat");
    ASSERT_TRUE(seal_text("earlier\n", file.c_str()));
    const std::string earlier = read_file_bytes(file);
    // A directory where the temporary file should go makes its creation fail.
    fs::create_directory(file + ".tmp");
    EXPECT_FALSE(seal_text("newer\n", file.c_str()));
    EXPECT_EQ(read_file_bytes(file), earlier);

    // Neither it nor a read-only temporary file left by an earlier run is
    // waited for, or taken away.
    expect_refused_at_once("newer\n", file);
    EXPECT_TRUE(fs::is_directory(file + ".tmp"));
    fs::remove(file + ".tmp");
#ifdef _WIN32
    // Wine run by root overwrites a read-only file; Windows refuses.
    if (running_under_wine())
        return;
#endif
    write_file_bytes(file + ".tmp", "left");
    set_read_only(file + ".tmp", true);
    expect_refused_at_once("newer\n", file);
    set_read_only(file + ".tmp", false);
    EXPECT_EQ(read_file_bytes(file), earlier);
    EXPECT_EQ(read_file_bytes(file + ".tmp"), "left");
}

TEST(Sealing, RewritesInPlaceAReportThatAnotherProgramKeepsFromBeingReplaced)
{
    ScratchDirectory scratch;
    const std::string file = scratch.file("Ravelo_Report.dat");
    ASSERT_TRUE(seal_text("earlier report, quite long\n", file.c_str()));
    {
        replacement_refused holder(file);
        ASSERT_TRUE(holder.in_force());
        EXPECT_TRUE(seal_text("newer\n", file.c_str()));
    }
    std::string plain;
    ASSERT_TRUE(decipher_report(read_file_bytes(file), plain));
    EXPECT_EQ(plain, "newer\n");
    EXPECT_FALSE(fs::exists(file + ".tmp"));
}

// The new report then stays under the temporary name, for support staff to
// find. A folder or a read-only file in the report's place is no wait's to
// mend: neither is tried again.
TEST(Sealing, ReportsFailureWhenTheReportCanBeNeitherReplacedNorRewritten)
{
    ScratchDirectory scratch;
    const std::string folder = scratch.file("folder");
    fs::create_directory(folder);
    expect_refused_at_once("newer\n", folder);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(holds_report(folder + ".tmp", "newer\n"));

    bool read_only_refused = true;
#ifdef _WIN32
    // Wine replaces a read-only file as a Unix rename does; Windows refuses.
    read_only_refused = !running_under_wine();
#endif
    if (read_only_refused) {
        const std::string read_only = scratch.file("read-only.dat");
        ASSERT_TRUE(seal_text("earlier\n", read_only.c_str()));
        const std::string earlier_bytes = read_file_bytes(read_only);
        set_read_only(read_only, true);
        expect_refused_at_once("newer\n", read_only);
        set_read_only(read_only, false);
        EXPECT_EQ(read_file_bytes(read_only), earlier_bytes);
        EXPECT_TRUE(holds_report(read_only + ".tmp", "newer\n"));
    }

#ifdef _WIN32
    const std::string file = scratch.file("Ravelo_Report.dat");
    ASSERT_TRUE(seal_text("earlier\n", file.c_str()));
    const std::string earlier = read_file_bytes(file);
    {
        open_refused holder(file);
        ASSERT_TRUE(holder.in_force());
        EXPECT_FALSE(seal_text("newer\n", file.c_str()));
    }
    EXPECT_EQ(read_file_bytes(file), earlier);
    EXPECT_TRUE(holds_report(file + ".tmp", "newer\n"));
#endif
}

#ifndef _WIN32
TEST(Sealing, ReportsAFailedCloseAndKeepsTheEarlierReport)
{
    ScratchDirectory scratch;
    const std::string file = scratch.file("Ravelo_Report.dat");
    ASSERT_TRUE(seal_text("earlier\n", file.c_str()));
    const std::string earlier = read_file_bytes(file);
    // The write to /dev/full stays in the stream's buffer: only the close
    // fails.
    fs::create_symlink("/dev/full", file + ".tmp");
    // Asserted: reading a link to /dev/full in the report's place would
    // never end.
    ASSERT_FALSE(seal_text("newer\n", file.c_str()));
    ASSERT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(read_file_bytes(file), earlier);
    EXPECT_FALSE(fs::exists(fs::symlink_status(file + ".tmp")));
}

TEST(Sealing, ReportsFailureInAReadOnlyDirectory)
{
    ScratchDirectory scratch;
    const fs::path folder = scratch.path() / "read-only";
    fs::create_directory(folder);
    const std::string file = (folder / "Ravelo_Report.dat").string();
    ASSERT_TRUE(seal_text("earlier\n", file.c_str()));
    const std::string earlier = read_file_bytes(file);
    chmod(folder.c_str(), 0555);

    // Root writes into read-only directories, so the write is tried by a
    // child that has given up root.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(seal_text("newer\n", file.c_str()) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write was reported as done; 2: could not drop root";
    EXPECT_EQ(read_file_bytes(file), earlier);
    EXPECT_FALSE(fs::exists(file + ".tmp"));
}
#endif

#ifndef _WIN32
// After a power loss soon after a scan, NTFS may keep the rename but not the
// data still in the cache: each written file is flushed before it is closed.
TEST(Sealing, FlushesEveryFileItWritesBeforeClosingIt)
{
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "rewritten in place" : "renamed");
        ScratchDirectory scratch;
        const std::string file = scratch.file("Ravelo_Report.dat");
        ASSERT_TRUE(seal_text("earlier\n", file.c_str()));
        clear_call_counts();
        if (refused)
            fail_call(substitute_call::move_file, 1, UINT_MAX);
        EXPECT_TRUE(seal_text("newer\n", file.c_str()));
        clear_call_failures();
        std::map<std::string, unsigned long long> counts = call_counts();
        EXPECT_EQ(counts["FlushFileBuffers"], refused ? 2u : 1u);
        EXPECT_EQ(counts["CloseHandle unflushed"], 0u);
    }
}

// A scanner that holds the fresh temporary file for a moment makes both its
// rename and its deletion fail; each is tried again after a short wait, but
// only after a refusal that waiting can mend.
TEST(Sealing, TriesARefusedRenameAgainAndLeavesNoTemporaryFile)
{
    const unsigned long usual = 0;  // access denied to a rename, a sharing violation to a delete
    const struct {
        const char* name;
        unsigned refused_renames;
        unsigned long rename_error;
        unsigned refused_deletes;
        unsigned long delete_error;
        unsigned renames, deletes;
        bool rewritten;
    } cases[] = {
        {"the first rename refused", 1, usual, 0, usual, 2, 0, false},
        {"the first rename refused: a sharing violation", 1, ERROR_SHARING_VIOLATION, 0, usual, 2, 0, false},
        {"the first rename refused: a lock violation", 1, ERROR_LOCK_VIOLATION, 0, usual, 2, 0, false},
        {"every rename refused", UINT_MAX, usual, 0, usual, 5, 1, true},
        {"every rename refused in a way no wait mends", UINT_MAX, ERROR_NOT_SUPPORTED, 0, usual, 1, 1, true},
        {"every rename and the first delete refused", UINT_MAX, usual, 1, usual, 5, 2, true},
        {"every rename and two deletes refused", UINT_MAX, usual, 2, usual, 5, 3, true},
        {"every rename refused, the first delete denied", UINT_MAX, usual, 1, ERROR_ACCESS_DENIED, 5, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDirectory scratch;
        const std::string file = scratch.file("Ravelo_Report.dat");
        ASSERT_TRUE(seal_text("earlier report, quite long\n", file.c_str()));
        clear_call_counts();
        clear_call_failures();
        fail_call(substitute_call::move_file, 1, c.refused_renames, c.rename_error);
        fail_call(substitute_call::delete_file, 1, c.refused_deletes, c.delete_error);
        EXPECT_TRUE(seal_text("newer\n", file.c_str()));
        const unsigned renames = calls_made(substitute_call::move_file);
        const unsigned deletes = calls_made(substitute_call::delete_file);
        clear_call_failures();
        std::map<std::string, unsigned long long> counts = call_counts();
        EXPECT_FALSE(fs::exists(file + ".tmp"));
        EXPECT_EQ(counts["CreateFileA"], c.rewritten ? 2u : 1u) << "the file rewritten in place";
        EXPECT_EQ(renames, c.renames);
        EXPECT_EQ(deletes, c.deletes);
        EXPECT_EQ(counts["Sleep"], (renames - 1) + (deletes > 0 ? deletes - 1 : 0)) << "a wait before each new try";
        std::string plain;
        ASSERT_TRUE(decipher_report(read_file_bytes(file), plain));
        EXPECT_EQ(plain, "newer\n");
    }
}
#endif
