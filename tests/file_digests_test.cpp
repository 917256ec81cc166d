#include "file_fixtures.h"
#include "scan/file_digests.h"
#include "seal/md5.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// The digest of a file as a stream of its bytes, one file at a time.
std::string reference_digest(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return MD5(file).hex_digest();
}

struct handed_over {
    std::vector<std::pair<std::string, std::string>> texts;
    void operator()(const std::string& label, const std::string& text) { texts.emplace_back(label, text); }
};

class FileDigests : public testing::TestWithParam<md5_path> {
protected:
    void SetUp() override
    {
        if (!md5_path_available(GetParam()))
            GTEST_SKIP() << "this processor or its system cannot run this path";
    }

    // A file of size bytes of its own content; its path.
    std::string make_file(std::size_t size)
    {
        std::string content(size, '\0');
        for (char& c : content)
            c = static_cast<char>(random());
        const std::string path = scratch.file("file " + std::to_string(made++));
        write_file_bytes(path, content);
        return path;
    }

    ScratchDirectory scratch;
    std::mt19937 random{7};
    unsigned made = 0;
};

std::string path_name(const testing::TestParamInfo<md5_path>& info)
{
    const char* names[] = {"Scalar", "Sse2", "Avx2"};
    return names[static_cast<int>(info.param)];
}

} // namespace

// Sizes around the block and the read buffer, files that cannot be read,
// and random sizes; each text comes back in the order its file was added.
TEST_P(FileDigests, EveryFileInTheOrderAdded)
{
    const std::size_t buffer = file_digest_queue::lane_buffer_size;
    std::vector<std::size_t> sizes = {0,   1,    55,   56,         63,         64,         65,
                                      127, 1000, 65536, buffer - 1, buffer,     buffer + 1, 2 * buffer + 100};
    for (int i = 0; i < 30; ++i)
        sizes.push_back(random() % (i % 5 == 0 ? 3 * buffer : 70000));
    std::vector<std::pair<std::string, std::string>> expected;
    handed_over result;
    file_digest_queue files(GetParam(), std::ref(result));
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::string path = make_file(sizes[i]);
        const std::string label = "file " + std::to_string(i);
        expected.emplace_back(label, reference_digest(path));
        files.add_file(label, path);
        if (i % 7 == 3) {
            files.add_unreadable("device " + std::to_string(i));
            expected.emplace_back("device " + std::to_string(i), cannot_read_file);
        }
        if (i % 11 == 5) {
            files.add_file("missing " + std::to_string(i), scratch.file("missing"));
            expected.emplace_back("missing " + std::to_string(i), cannot_read_file);
        }
    }
    files.finish();
    EXPECT_EQ(result.texts, expected);
}

// However long the first file, the files after it wait in bounded number.
TEST_P(FileDigests, WaitingFilesStayFew)
{
    const std::string big = make_file(5 * file_digest_queue::lane_buffer_size);
    const std::string small = make_file(100);
    handed_over result;
    file_digest_queue files(GetParam(), std::ref(result));
    files.add_file("big", big);
    for (std::size_t added = 2; added < 300; ++added) {
        files.add_file("small", small);
        ASSERT_LT(added - result.texts.size(), file_digest_queue::max_waiting_files);
    }
    files.finish();
    ASSERT_EQ(result.texts.size(), 300u - 1);
    EXPECT_EQ(result.texts[0], std::make_pair(std::string("big"), reference_digest(big)));
}

// Files whose first reads leave one lane exactly one block ahead of the
// others: that lane holds 64 bytes while its file goes on.
TEST_P(FileDigests, ALaneHoldingOneWholeBlockReadsOn)
{
    const std::size_t buffer = file_digest_queue::lane_buffer_size;
    const std::vector<std::size_t> sizes = {buffer + 1000, buffer - 64, buffer - 64, buffer - 64};
    std::vector<std::pair<std::string, std::string>> expected;
    handed_over result;
    file_digest_queue files(GetParam(), std::ref(result));
    for (std::size_t size : sizes) {
        const std::string path = make_file(size);
        expected.emplace_back(std::to_string(size), reference_digest(path));
        files.add_file(std::to_string(size), path);
    }
    files.finish();
    EXPECT_EQ(result.texts, expected);
}

INSTANTIATE_TEST_SUITE_P(EveryPath, FileDigests,
                         testing::Values(md5_path::scalar, md5_path::sse2, md5_path::avx2), path_name);

#ifdef _WIN32
// Another program writing the file, as the simulator may its log, does not
// keep it from being read.
TEST(FileDigestQueue, ReadsAFileOpenForWritingElsewhere)
{
    ScratchDirectory scratch;
    const std::string path = scratch.file("log.txt");
    write_file_bytes(path, "x");
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    handed_over result;
    file_digest_queue files(fastest_md5_path(), std::ref(result));
    files.add_file("log", path);
    files.finish();
    CloseHandle(writer);
    EXPECT_EQ(result.texts, (std::vector<std::pair<std::string, std::string>>{
                                {"log", "9dd4e461268c8034f5c8564e155c67a6"}}));
}

// An add-on updater may rename or delete a file while a lane holds it open.
TEST(FileDigestQueue, AFileOpenInALaneCanBeRenamedAndDeleted)
{
    ScratchDirectory scratch;
    const std::string path = scratch.file("gauge.dll");
    const std::string content(3 * file_digest_queue::lane_buffer_size, 'g');
    write_file_bytes(path, content);
    handed_over result;
    // Two lanes at least, so that the file waits open for the next one.
    const md5_path lanes = md5_path_available(md5_path::sse2) ? md5_path::sse2 : md5_path::scalar;
    if (md5_lane_count(lanes) == 1)
        GTEST_SKIP() << "no path with several lanes here";
    file_digest_queue files(lanes, std::ref(result));
    files.add_file("gauge", path);
    ASSERT_TRUE(result.texts.empty()) << "the file is still being read";
    EXPECT_TRUE(MoveFileExA(path.c_str(), scratch.file("gauge.old").c_str(), 0)) << GetLastError();
    EXPECT_TRUE(DeleteFileA(scratch.file("gauge.old").c_str())) << GetLastError();
    files.finish();
    MD5 digest;
    digest.update(reinterpret_cast<const unsigned char*>(content.data()),
                  static_cast<std::uint32_t>(content.size()));
    digest.finalize();
    EXPECT_EQ(result.texts, (std::vector<std::pair<std::string, std::string>>{{"gauge", digest.hex_digest()}}));
}
#endif
