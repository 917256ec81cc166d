// Ravelo on 64-bit Windows reads the 32-bit view of the registry, where the
// 32-bit simulator keeps its key, whether it is built for 32 or 64 bits. Keys
// that exist only in the 64-bit view must stay out of the report. Natively
// the substitute keeps two views for these tests, so that a scan which
// forgets to ask for the 32-bit one fails here before it reaches Windows.
#include "registry_fixture.h"
#include "scan/basic_information.h"
#include "scan/registry_access.h"
#include "scan/registry_enumeration.h"
#include "scan/scan_state.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char games_key[] = "Software\\Microsoft\\Microsoft Games";
const char simulator_key[] = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";
const char decoy_keyword_key[] = "Software\\Ravelo-decoy-64-only\\FSX addon";

bool on_64_bit_windows()
{
#ifdef _WIN32
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
#else
    return true;
#endif
}

HKEY create_64_bit_key(const char* path)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS) << path;
    return key;
}

void set_64_bit_text(const char* path, const char* name, const std::string& text)
{
    HKEY key = create_64_bit_key(path);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

bool exists_in_64_bit_view(const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void delete_64_bit_tree(const char* parent, const char* child)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS)
        return;
    RegDeleteTreeA(key, child);
    RegCloseKey(key);
}

class RegistryViews : public testing::Test {
protected:
    void SetUp() override
    {
        reset_scan_state();
#ifndef _WIN32
        keep_two_registry_views(true);
#endif
        if (!on_64_bit_windows())
            GTEST_SKIP() << "32-bit Windows has one registry view";
        if (!simulator_32.planted() || exists_in_64_bit_view(games_key))
            GTEST_SKIP() << "the simulator is installed on this machine";
        planted_64 = true;
        simulator_32.set_text(simulator_key, "SetupPath", "C:\\FSX32\\");
        set_64_bit_text(simulator_key, "SetupPath", "D:\\Decoy64\\");
        set_64_bit_text(decoy_keyword_key, "Path", "D:\\Decoy64\\Vok");
    }
    void TearDown() override
    {
        reset_scan_state();
        if (planted_64) {
            delete_64_bit_tree("Software\\Microsoft", "Microsoft Games");
            delete_64_bit_tree("Software", "Ravelo-decoy-64-only");
        }
#ifndef _WIN32
        reset_registry();
#endif
    }

    PlantedKeys simulator_32{HKEY_LOCAL_MACHINE, {games_key}};
    bool planted_64 = false;
};

} // namespace

TEST_F(RegistryViews, InstallPathComesFromThe32BitView)
{
    read_fsx_path();
    EXPECT_EQ(take_report(), "");
    EXPECT_STREQ(fsx_path, "C:\\FSX32\\");
}

TEST_F(RegistryViews, KeysOnlyInThe64BitViewStayOutOfTheReport)
{
    enumerate_registry(HKEY_LOCAL_MACHINE, "", 0, false);
    const std::string section = take_report();
    EXPECT_NE(section.find("\t\t-> SetupPath \tC:\\FSX32\\\n"), std::string::npos);
    EXPECT_EQ(section.find("Decoy64"), std::string::npos);
    EXPECT_EQ(section.find("Ravelo-decoy-64-only"), std::string::npos);
}

// Windows 2000 knows no view flag, and a 32-bit program is in the 32-bit
// view without asking: only a 64-bit build asks for it.
TEST(RegistryAccess, OnlyA64BitBuildAsksForThe32BitView)
{
    EXPECT_EQ(registry_read_access & ~REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_READ));
#ifdef _WIN32
    EXPECT_EQ((registry_read_access & KEY_WOW64_32KEY) != 0, sizeof(void*) == 8);
#endif
}
