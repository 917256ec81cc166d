// The registry calls as the scan relies on them. Built natively they check
// the substitute; built for Windows and run under Wine, the same cases check
// the real calls, which is how we know the substitute behaves like Windows.
#include "registry_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Opens root\path for reading; fails the test when it cannot.
class OpenKey {
public:
    OpenKey(HKEY root, const std::string& path)
    {
        EXPECT_EQ(RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << path;
    }
    ~OpenKey() { RegCloseKey(key); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    operator HKEY() const { return key; }

private:
    HKEY key = nullptr;
};

std::vector<std::string> subkey_names(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG result =
            RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) {
            EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
            return names;
        }
        EXPECT_EQ(length, std::strlen(name));
        names.push_back(name);
    }
}

} // namespace

TEST(Registry, MissingKeysCannotBeOpened)
{
    TestKey keys;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(keys.root(), keys.path("Missing").c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(keys.root(), keys.path("Missing\\Deeper").c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
}

TEST(Registry, NamesAreFoundWithoutRegardToCase)
{
    TestKey keys;
    keys.set_text("Mixed Case", "Value Name", "text");
    OpenKey key(keys.root(), keys.path("mIXED cASE"));
    char data[16];
    DWORD length = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "VALUE NAME", nullptr, nullptr,
                               reinterpret_cast<LPBYTE>(data), &length), ERROR_SUCCESS);
    EXPECT_STREQ(data, "text");
}

TEST(Registry, EmptyPathOpensTheKeyItself)
{
    TestKey keys;
    keys.add_key("Child");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(keys.root(), keys.path().c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    OpenKey itself(key, "");
    EXPECT_EQ(subkey_names(itself), std::vector<std::string>{"Child"});
    RegCloseKey(key);
}

TEST(Registry, SubkeysComeSortedWithoutRegardToCase)
{
    TestKey keys;
    // Only letters, digits and spaces: Wine compares lower-cased names,
    // Windows upper-cased ones, and those orders differ for [\]^_`.
    for (const char* name : {"beta", "Alpha", "zulu", "Delta 2", "delta", "ALPHA two", "a"})
        keys.add_key(name);
    OpenKey key(keys.root(), keys.path());
    EXPECT_EQ(subkey_names(key), (std::vector<std::string>{"a", "Alpha", "ALPHA two", "beta",
                                                           "delta", "Delta 2", "zulu"}));
}

TEST(Registry, InformationQueryCountsCharactersAndBytes)
{
    TestKey keys;
    keys.add_key("Four");
    keys.add_key("Seven 7");
    keys.set_text("", "ab", "hello");
    keys.set_value("", "abcdef", REG_BINARY, "0123456789", 10);
    OpenKey key(keys.root(), keys.path());
    DWORD subkeys = 0, longest_subkey = 0, values = 0, longest_name = 0, longest_data = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longest_subkey, nullptr,
                               &values, &longest_name, &longest_data, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 2u);
    EXPECT_EQ(longest_subkey, 7u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(longest_name, 6u);
    // "hello" and its terminator, kept as UTF-16.
    EXPECT_EQ(longest_data, 12u);
}

TEST(Registry, SubkeyNameNeedsRoomForItsTerminator)
{
    TestKey keys;
    keys.add_key("Seven 7");
    OpenKey key(keys.root(), keys.path());
    char name[16];
    DWORD length = 7;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    length = 8;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(length, 7u);
    EXPECT_STREQ(name, "Seven 7");
    length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST(Registry, EnumeratedValuesGiveNameTypeAndData)
{
    TestKey keys;
    keys.set_text("", "", "unnamed");
    keys.set_dword("", "Number", 500);
    OpenKey key(keys.root(), keys.path());
    char name[16];
    BYTE data[16];
    DWORD name_length = sizeof name, type = 0, data_length = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &name_length, nullptr, &type, data, &data_length),
              ERROR_SUCCESS);
    EXPECT_EQ(name_length, 0u);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data_length, 8u);
    EXPECT_STREQ(reinterpret_cast<char*>(data), "unnamed");

    name_length = sizeof name, data_length = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &name_length, nullptr, &type, data, &data_length),
              ERROR_SUCCESS);
    EXPECT_EQ(name_length, 6u);
    EXPECT_STREQ(name, "Number");
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data_length, 4u);
    EXPECT_EQ(std::memcmp(data, "\xf4\x01\0\0", 4), 0);

    name_length = sizeof name, data_length = sizeof data;
    EXPECT_EQ(RegEnumValueA(key, 2, name, &name_length, nullptr, &type, data, &data_length),
              ERROR_NO_MORE_ITEMS);
}

TEST(Registry, ValueDataTooLongForTheBufferAsksForMore)
{
    TestKey keys;
    keys.set_text("", "Text", "0123456789");
    OpenKey key(keys.root(), keys.path());
    char name[16] = "untouched";
    BYTE data[16];
    DWORD name_length = sizeof name, type = 0, data_length = 4;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &name_length, nullptr, &type, data, &data_length),
              ERROR_MORE_DATA);
    EXPECT_EQ(data_length, 11u) << "the length the data needs";

    name_length = 4, data_length = sizeof data;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &name_length, nullptr, &type, data, &data_length),
              ERROR_MORE_DATA) << "the name and its terminator do not fit";
    EXPECT_EQ(data_length, 11u);

    data_length = 4;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, data, &data_length), ERROR_MORE_DATA);
    EXPECT_EQ(data_length, 11u);
}

TEST(Registry, TextSetWithoutItsTerminatorIsStoredWithout)
{
    TestKey keys;
    keys.set_value("", "Unterminated", REG_SZ, "helloX", 5);
    // The byte after the given length is zero: the terminator is added.
    keys.set_value("", "Counted short", REG_SZ, "hello", 5);
    OpenKey key(keys.root(), keys.path());
    BYTE data[16];
    DWORD data_length = sizeof data;
    std::memset(data, 'Z', sizeof data);
    ASSERT_EQ(RegQueryValueExA(key, "Unterminated", nullptr, nullptr, data, &data_length),
              ERROR_SUCCESS);
    EXPECT_EQ(data_length, 5u);
    EXPECT_EQ(data[5], 0) << "a terminator is written behind when the buffer has room";

    data_length = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key, "Counted short", nullptr, nullptr, data, &data_length),
              ERROR_SUCCESS);
    EXPECT_EQ(data_length, 6u);

    std::memset(data, 'Z', sizeof data);
    data_length = 5;
    ASSERT_EQ(RegQueryValueExA(key, "Unterminated", nullptr, nullptr, data, &data_length),
              ERROR_SUCCESS);
    EXPECT_EQ(data[5], 'Z') << "no room, no terminator";
}

TEST(Registry, MissingValueIsNotFound)
{
    TestKey keys;
    OpenKey key(keys.root(), keys.path());
    BYTE data[4];
    DWORD length = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, data, &length),
              ERROR_FILE_NOT_FOUND);
}

TEST(Registry, DeletedTreeIsGone)
{
    TestKey keys;
    keys.set_text("Doomed\\Deep", "v", "x");
    keys.add_key("Kept");
    ASSERT_EQ(RegDeleteTreeA(keys.root(), keys.path("Doomed").c_str()), ERROR_SUCCESS);
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(keys.root(), keys.path("Doomed").c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    OpenKey base(keys.root(), keys.path());
    EXPECT_EQ(subkey_names(base), std::vector<std::string>{"Kept"});
}

TEST(Registry, CurrentUserIsOneOfTheUsers)
{
    TestKey keys(HKEY_CURRENT_USER);
    keys.set_text("", "Marker", "here");
    OpenKey users(HKEY_USERS, "");
    int found = 0;
    for (const std::string& user : subkey_names(users)) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_USERS, (user + "\\" + keys.path()).c_str(), 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            ++found;
            RegCloseKey(key);
        }
    }
    EXPECT_EQ(found, 1);
}
