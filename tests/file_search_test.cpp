// The file search as the sections rely on it: run natively it checks the
// substitute, under Wine the system it stands in for.
#include "file_fixtures.h"
#include "platform/win32.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct found {
    std::string name;
    DWORD attributes;
};

// Every entry the search delivers, in order; empty when it cannot start.
std::vector<found> search(const std::string& pattern)
{
    std::vector<found> entries;
    WIN32_FIND_DATAA entry;
    HANDLE handle = FindFirstFileExA(pattern.c_str(), FindExInfoStandard, &entry,
                                     FindExSearchNameMatch, nullptr, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return entries;
    do
        entries.push_back({entry.cFileName, entry.dwFileAttributes});
    while (FindNextFileA(handle, &entry));
    FindClose(handle);
    return entries;
}

std::vector<std::string> names_of(const std::vector<found>& entries)
{
    std::vector<std::string> names;
    for (const found& entry : entries)
        names.push_back(entry.name);
    return names;
}

} // namespace

TEST(FileSearch, DeliversDotsFirstThenNamesInUpperCaseOrder)
{
    ScratchDirectory scratch;
    for (const char* name : {"beta", "Alpha.txt", "_under", "zeta.dat", "Gamma", "1st"})
        write_file_bytes(scratch.path() / name, "x");
    fs::create_directory(scratch.path() / "sub dir");

    const auto entries = search(windows_join(scratch.path().string(), "*.*"));
    EXPECT_EQ(names_of(entries), (std::vector<std::string>{".", "..", "1st", "Alpha.txt", "beta", "Gamma",
                                                            "sub dir", "zeta.dat", "_under"}));
    for (const found& entry : entries) {
        const bool directory = entry.name == "." || entry.name == ".." || entry.name == "sub dir";
        EXPECT_EQ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, directory) << entry.name;
    }
}

TEST(FileSearch, MatchesAPrefixPatternWithoutRegardToCase)
{
    ScratchDirectory scratch;
    for (const char* name : {"X86_Microsoft.A", "x86_microsoft.b", "x86_microsoftC", "amd64_microsoft.d"})
        fs::create_directory(scratch.path() / name);

    EXPECT_EQ(names_of(search(windows_join(scratch.path().string(), "x86_microsoft.*"))),
              (std::vector<std::string>{"X86_Microsoft.A", "x86_microsoft.b"}));
    EXPECT_TRUE(search(windows_join(scratch.path().string(), "x64_*.*")).empty());
}

TEST(FileSearch, CannotSearchAMissingDirectoryOrAFile)
{
    ScratchDirectory scratch;
    write_file_bytes(scratch.path() / "plain.txt", "x");
    EXPECT_TRUE(search(windows_join(scratch.file("missing"), "*.*")).empty());
    EXPECT_TRUE(search(windows_join(scratch.file("plain.txt"), "*.*")).empty());
}

TEST(FileSearch, ShowsADirectoryLinkAsADirectoryAndAReparsePoint)
{
    ScratchDirectory scratch;
    fs::create_directory(scratch.path() / "target");
    directory_link link(scratch.path().string(), "link", "target");
    ASSERT_TRUE(link.ok());

    const auto entries = search(windows_join(scratch.path().string(), "link"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}
