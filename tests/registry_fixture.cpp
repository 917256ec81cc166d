#include "registry_fixture.h"

#include "scan/registry_enumeration.h"
#include "scan/report.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#ifdef _WIN32
#include <sddl.h>
#endif

namespace {

std::string joined(const std::string& base, const std::string& below)
{
    if (base.empty() || below.empty())
        return base + below;
    return base + "\\" + below;
}

HKEY create_key(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    const LONG result = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS | scan_view, nullptr, &key, nullptr);
    EXPECT_EQ(result, ERROR_SUCCESS) << "creating " << path;
    return key;
}

bool key_exists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | scan_view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

#ifdef _WIN32
// Sets the key's access list from its SDDL text, such as "D:(A;;KA;;;WD)".
void set_access_list(HKEY root, const std::string& path, const char* sddl)
{
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC | scan_view, &key), ERROR_SUCCESS) << path;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);
    RegCloseKey(key);
}
#endif

std::string unique_test_key()
{
    static std::atomic<unsigned> serial{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return "Software\\Ravelo-test-" + std::to_string(stamp) + "-" + std::to_string(serial++);
}

} // namespace

LONG delete_key_tree(HKEY root, const std::string& path)
{
    // RegDeleteTreeA takes no view: it works in the view of the key it is given.
    const std::size_t last = path.rfind('\\');
    const std::string parent = last == std::string::npos ? "" : path.substr(0, last);
    const std::string leaf = last == std::string::npos ? path : path.substr(last + 1);
    HKEY key;
    LONG result = RegOpenKeyExA(root, parent.c_str(), 0, KEY_ALL_ACCESS | scan_view, &key);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegDeleteTreeA(key, leaf.c_str());
    RegCloseKey(key);
    return result;
}

std::string RegistryFixture::path(const std::string& below) const
{
    return joined(base, below);
}

std::string RegistryFixture::printed(const std::string& below) const
{
    return std::string(hive_name(root_key)) + "\\" + path(below);
}

void RegistryFixture::add_key(const std::string& below) const
{
    RegCloseKey(create_key(root_key, path(below)));
}

void RegistryFixture::set_value(const std::string& below, const char* name, DWORD type,
                                const void* data, DWORD length) const
{
    HKEY key = create_key(root_key, path(below));
    const LONG result =
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), length);
    EXPECT_EQ(result, ERROR_SUCCESS) << "setting " << name << " in " << path(below);
    RegCloseKey(key);
}

void RegistryFixture::set_text(const std::string& below, const char* name,
                               const std::string& text, DWORD type) const
{
    set_value(below, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void RegistryFixture::set_dword(const std::string& below, const char* name, DWORD number) const
{
    set_value(below, name, REG_DWORD, &number, sizeof number);
}

TestKey::TestKey(HKEY root) : RegistryFixture(root, unique_test_key())
{
    add_key("");
}

TestKey::~TestKey()
{
#ifdef _WIN32
    // The removal reads the keys, which everyone was denied.
    for (const std::string& denied_path : denied)
        set_access_list(root(), denied_path, "D:(A;;KA;;;WD)");
#else
    if (!denied.empty())
        clear_registry_faults();
#endif
    EXPECT_EQ(delete_key_tree(root(), path()), ERROR_SUCCESS) << path();
}

void TestKey::deny_reading(const std::string& below)
{
    add_key(below);
    denied.push_back(path(below));
#ifdef _WIN32
    set_access_list(root(), path(below), "D:(D;;KR;;;WD)(A;;KA;;;WD)");
#else
    fail_registry_key(RegistryCall::open_key, root(), path(below).c_str(), ERROR_ACCESS_DENIED);
#endif
}

PlantedKeys::PlantedKeys(HKEY root, std::vector<std::string> removed_afterwards)
    : RegistryFixture(root, ""), removed(std::move(removed_afterwards)), clear(true)
{
    for (const std::string& key_path : removed)
        clear = clear && !key_exists(root, key_path);
}

PlantedKeys::~PlantedKeys()
{
    if (!clear)
        return;
    for (const std::string& key_path : removed) {
        if (key_exists(root(), key_path)) {
            EXPECT_EQ(delete_key_tree(root(), key_path), ERROR_SUCCESS) << key_path;
        }
    }
}

std::string take_report()
{
    const std::string text = report_stream.str();
    report_stream.str("");
    report_stream.clear();
    return text;
}
