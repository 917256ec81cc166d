// The file search as the sections rely on it: run natively it checks the
// substitute, under Wine the system it stands in for.
#include "file_fixtures.h"
#include "platform/win32.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct found {
    std::string name;
    DWORD attributes;
};

// Every entry the search delivers, in order; empty when it cannot start.
std::vector<found> search(const std::string& pattern, FINDEX_INFO_LEVELS level = FindExInfoStandard,
                          DWORD flags = 0)
{
    std::vector<found> entries;
    WIN32_FIND_DATAA entry;
    HANDLE handle = FindFirstFileExA(pattern.c_str(), level, &entry, FindExSearchNameMatch, nullptr, flags);
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

TEST(FileSearch, BasicLevelAndLargeFetchDeliverTheSameNamesAndAttributes)
{
    ScratchDirectory scratch;
    for (int i = 0; i < 300; ++i)
        write_file_bytes(scratch.path() / ("file " + std::to_string(i)), "x");
    fs::create_directory(scratch.path() / "sub");
    const std::string pattern = windows_join(scratch.path().string(), "*.*");
    const auto standard = search(pattern);
    const auto basic = search(pattern, FindExInfoBasic, FIND_FIRST_EX_LARGE_FETCH);
    ASSERT_EQ(basic.size(), 303u);
    EXPECT_EQ(names_of(basic), names_of(standard));
    for (std::size_t i = 0; i < basic.size(); ++i)
        EXPECT_EQ(basic[i].attributes, standard[i].attributes) << basic[i].name;
}

TEST(FileSearch, SaysWhyItCannotStart)
{
    ScratchDirectory scratch;
    WIN32_FIND_DATAA entry;
    const struct {
        std::string pattern;
        DWORD error;
    } cases[] = {
        {windows_join(scratch.path().string(), "none*"), ERROR_FILE_NOT_FOUND},
        {windows_join(scratch.file("missing"), "*.*"), ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(FindFirstFileExA(c.pattern.c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch,
                                   nullptr, 0), INVALID_HANDLE_VALUE) << c.pattern;
        EXPECT_EQ(GetLastError(), c.error) << c.pattern;
    }
}

#ifndef _WIN32
TEST(FileSearch, BeforeWindows7TheBasicLevelAndLargeFetchAreRefused)
{
    ScratchDirectory scratch;
    const std::string pattern = windows_join(scratch.path().string(), "*.*");
    WIN32_FIND_DATAA entry;
    search_as_before_windows_7(true);
    for (const auto& call : {std::make_pair(FindExInfoBasic, DWORD(0)),
                             std::make_pair(FindExInfoStandard, DWORD(FIND_FIRST_EX_LARGE_FETCH))}) {
        SetLastError(0);
        EXPECT_EQ(FindFirstFileExA(pattern.c_str(), call.first, &entry, FindExSearchNameMatch, nullptr,
                                   call.second), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(names_of(search(pattern)), (std::vector<std::string>{".", ".."}));
    search_as_before_windows_7(false);
}
#endif
