// Reading a file through CreateFileA and ReadFile as the listing relies on
// it: run natively it checks the substitute, under Wine the system.
#include "file_fixtures.h"
#include "platform/win32.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HANDLE open_for_reading(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

} // namespace

TEST(FileRead, ReadsInPiecesAndEndsWithAnEmptySuccessfulRead)
{
    ScratchDirectory scratch;
    write_file_bytes(scratch.path() / "data.bin", std::string("abc\r\n\x1a" "def", 9));
    HANDLE file = open_for_reading(scratch.file("data.bin"));
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string content;
    char buffer[4];
    DWORD read = 99;
    for (int reads = 0; reads < 10 && ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0; ++reads)
        content.append(buffer, read);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(content, std::string("abc\r\n\x1a" "def", 9)) << "every byte as stored";
    EXPECT_TRUE(CloseHandle(file));
}

TEST(FileRead, SaysWhyAFileCannotBeOpened)
{
    ScratchDirectory scratch;
    const struct {
        std::string path;
        DWORD error;
    } cases[] = {
        {scratch.file("missing.txt"), ERROR_FILE_NOT_FOUND},
        {windows_join(scratch.file("missing"), "file.txt"), ERROR_PATH_NOT_FOUND},
        {scratch.path().string(), ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(open_for_reading(c.path), INVALID_HANDLE_VALUE) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
}
