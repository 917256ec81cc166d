#pragma once
#include "platform/win32.h"

#include <string>
#include <vector>

// Builds registry fixtures below a base key through the registry calls
// themselves, so that the same test runs against the substitute and against
// the registry of Windows or Wine. Paths given to the helpers are below the
// base ("" is the base itself); missing keys on the way are created. Keys
// are made, opened and removed in the 32-bit view (scan_view), the one the
// scan reads in either Windows build; a 32-bit program on 64-bit Windows is
// in that view anyway, and 32-bit Windows ignores the flag.
constexpr REGSAM scan_view = KEY_WOW64_32KEY;

// Removes root\path and everything below it in the scan's view.
LONG delete_key_tree(HKEY root, const std::string& path);

class RegistryFixture {
public:
    RegistryFixture(const RegistryFixture&) = delete;
    RegistryFixture& operator=(const RegistryFixture&) = delete;

    HKEY root() const { return root_key; }
    // The path below the root of the base or of a key below it.
    std::string path(const std::string& below = "") const;
    // The hive's name, a backslash and path(below), as a report writes a key.
    std::string printed(const std::string& below = "") const;

    void add_key(const std::string& below) const;
    void set_value(const std::string& below, const char* name, DWORD type, const void* data,
                   DWORD length) const;
    // text and its terminator.
    void set_text(const std::string& below, const char* name, const std::string& text,
                  DWORD type = REG_SZ) const;
    void set_dword(const std::string& below, const char* name, DWORD number) const;

protected:
    RegistryFixture(HKEY root, std::string base) : root_key(root), base(std::move(base)) {}
    ~RegistryFixture() = default;

private:
    HKEY root_key;
    std::string base;
};

// A key of the test's own, root\Software\Ravelo-test-<stamp>-<serial>,
// removed with everything below it when the object goes.
class TestKey : public RegistryFixture {
public:
    explicit TestKey(HKEY root = HKEY_CURRENT_USER);
    ~TestKey();

    // Makes the key refuse to be opened for reading, until the test ends.
    void deny_reading(const std::string& below);

private:
    std::vector<std::string> denied;
};

// Keys planted at fixed paths below a root, for code that reads fixed
// paths; the listed keys are removed with everything below them when the
// object goes. When one of them exists beforehand (a machine with the real
// simulator installed), planted() is false and nothing is removed: the test
// should then skip without touching the registry.
class PlantedKeys : public RegistryFixture {
public:
    PlantedKeys(HKEY root, std::vector<std::string> removed_afterwards);
    ~PlantedKeys();

    bool planted() const { return clear; }

private:
    std::vector<std::string> removed;
    bool clear;
};

// The report text written so far; the report is emptied.
std::string take_report();
