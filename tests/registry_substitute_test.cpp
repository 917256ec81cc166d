// What only the substitute registry and version query do: the order Windows
// gives where Wine gives another, and the hooks that make calls fail.
#ifndef _WIN32
#include "registry_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> names_in_order(HKEY key, bool values)
{
    std::vector<std::string> names;
    char name[64];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG result =
            values ? RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr)
                   : RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS)
            return names;
        names.push_back(name);
    }
}

class SubstituteRegistry : public testing::Test {
protected:
    void TearDown() override { clear_registry_faults(); }

    // Opens the test key, counted as one call of RegOpenKeyExA.
    HKEY open(const std::string& below = "")
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(keys.root(), keys.path(below).c_str(), 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        return key;
    }

    TestKey keys;
};

} // namespace

TEST_F(SubstituteRegistry, ValuesComeInTheOrderFirstSet)
{
    for (const char* name : {"b", "_c", "a", "Z"})
        keys.set_text("", name, "first");
    keys.set_text("", "b", "set again");
    HKEY key = open();
    EXPECT_EQ(names_in_order(key, true), (std::vector<std::string>{"b", "_c", "a", "Z"}));
    RegCloseKey(key);
}

TEST_F(SubstituteRegistry, SubkeysAreSortedByTheirUpperCasedNames)
{
    // Upper-cased, _ (0x5F) comes after Z (0x5A); lower-cased it would come
    // before a (0x61), which is what Wine does.
    for (const char* name : {"b", "_x", "Z", "A"})
        keys.add_key(name);
    HKEY key = open();
    EXPECT_EQ(names_in_order(key, false), (std::vector<std::string>{"A", "b", "Z", "_x"}));
    enumerate_subkeys_in_creation_order(true);
    EXPECT_EQ(names_in_order(key, false), (std::vector<std::string>{"b", "_x", "Z", "A"}));
    enumerate_subkeys_in_creation_order(false);
    RegCloseKey(key);
}

TEST_F(SubstituteRegistry, ChosenCallFailsAndLaterOnesDoNot)
{
    keys.add_key("Child");
    HKEY key = open();
    char name[16];
    DWORD length = sizeof name;
    fail_registry_call(RegistryCall::enum_key, 1, ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    length = 99;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(length, 99u) << "out-parameters keep what the caller put in";
    length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(SubstituteRegistry, FaultCanLastForSeveralCalls)
{
    HKEY key = open();
    fail_registry_call(RegistryCall::query_info_key, 0, ERROR_ACCESS_DENIED, 2);
    for (LONG expected : {ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_SUCCESS})
        EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr), expected);
    RegCloseKey(key);
}

TEST_F(SubstituteRegistry, FaultOfOneKey)
{
    keys.add_key("Sick");
    keys.add_key("Well");
    fail_registry_key(RegistryCall::open_key, keys.root(), keys.path("SICK").c_str(),
                      ERROR_ACCESS_DENIED);
    fail_registry_key(RegistryCall::query_info_key, keys.root(), keys.path("Well").c_str(),
                      ERROR_ACCESS_DENIED);
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(keys.root(), keys.path("Sick").c_str(), 0, KEY_READ, &key),
              ERROR_ACCESS_DENIED);
    HKEY base = open();
    EXPECT_EQ(RegOpenKeyExA(base, "sick", 0, KEY_READ, &key), ERROR_ACCESS_DENIED)
        << "the same key, opened from its parent";
    ASSERT_EQ(RegOpenKeyExA(base, "Well", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryInfoKeyA(base, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    RegCloseKey(base);
}

TEST_F(SubstituteRegistry, UnderstatedLengthsMakeTheCallsAskForMore)
{
    keys.set_text("", "Name", "text");
    HKEY key = open();
    understate_registry_lengths(3);
    DWORD longest_name = 0, longest_data = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &longest_name, &longest_data, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(longest_name, 1u);
    EXPECT_EQ(longest_data, 7u);
    char name[8];
    DWORD name_length = longest_name + 1;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &name_length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    RegCloseKey(key);
}

TEST_F(SubstituteRegistry, HandlesAreCountedUntilClosed)
{
    const std::size_t before = open_registry_handles();
    HKEY key = open();
    EXPECT_EQ(open_registry_handles(), before + 1);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(open_registry_handles(), before);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(SubstituteRegistry, KeyRemovedWhileOpen)
{
    keys.add_key("Doomed");
    HKEY key = open("Doomed");
    ASSERT_EQ(RegDeleteTreeA(keys.root(), keys.path("Doomed").c_str()), ERROR_SUCCESS);
    char name[8];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(SubstituteRegistry, OnlyThreeRootsAreHeld)
{
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_CONFIG, "", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, "S-1-5-21-0-0-0-1000", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(SubstituteVersion, FailsUntilARecordIsSet)
{
    OSVERSIONINFOEXA record;
    std::memset(&record, 0, sizeof record);
    record.dwOSVersionInfoSize = sizeof record;
    EXPECT_FALSE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&record)));
    EXPECT_EQ(record.dwMajorVersion, 0u);

    OSVERSIONINFOEXA seven{};
    seven.dwMajorVersion = 6;
    seven.dwMinorVersion = 1;
    seven.wProductType = VER_NT_WORKSTATION;
    std::strcpy(seven.szCSDVersion, "Service Pack 1");
    set_version_record(&seven);
    EXPECT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&record)));
    EXPECT_EQ(record.dwOSVersionInfoSize, sizeof record);
    EXPECT_EQ(record.dwMinorVersion, 1u);
    EXPECT_STREQ(record.szCSDVersion, "Service Pack 1");
    EXPECT_EQ(record.wProductType, VER_NT_WORKSTATION);

    OSVERSIONINFOA short_record{};
    short_record.dwOSVersionInfoSize = sizeof short_record;
    EXPECT_TRUE(GetVersionExA(&short_record));
    EXPECT_EQ(short_record.dwMajorVersion, 6u);

    set_version_record(nullptr);
    EXPECT_FALSE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&record)));
}
#endif
