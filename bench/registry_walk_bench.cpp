// Builds, walks and removes a synthetic registry hive below
// HKEY_CURRENT_USER\Software\Ravelo-bench: fan-out 10, depth 5 (100,000 leaf
// keys, 111,111 keys in all), three values per key, and a few keywords
// sprinkled in names and data. bench/registry_walk_bench.sh runs it under
// Wine beside `reg query /s` on the same hive.
//
//   registry_walk_bench create   builds the hive (volatile keys: they never
//                                reach the disk and go with the registry
//                                server)
//   registry_walk_bench walk     walks it silently as the scan walks a root,
//                                and prints the keys per second
//   registry_walk_bench delete   removes it
#include "scan/registry_enumeration.h"
#include "scan/report.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char bench_key[] = "Software\\Ravelo-bench";
const int fan_out = 10;
const int depth = 5;
const unsigned long total_keys = 111111; // 1 + 10 + ... + 10^5

// About one key in a thousand gets a keyword in its data, one in ten
// thousand in its name; the rest hold ordinary names and values.
bool sprinkled(unsigned long serial, unsigned long every)
{
    return serial % every == every / 2;
}

void set_values(HKEY key, unsigned long serial)
{
    std::string text = "C:\\Program Files\\Vendor\\Tool " + std::to_string(serial) + "\\";
    if (sprinkled(serial, 997))
        text = "D:\\FSX\\Addons\\" + std::to_string(serial);
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    const DWORD number = serial;
    RegSetValueExA(key, "Serial", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    BYTE bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<BYTE>(serial * 31 + i);
    RegSetValueExA(key, "Blob", 0, REG_BINARY, bytes, sizeof bytes);
}

bool create_subtree(HKEY parent, const std::string& name, int level, unsigned long& serial)
{
    HKEY key;
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    set_values(key, serial++);
    bool created = true;
    for (int child = 0; created && level < depth && child < fan_out; ++child) {
        std::string child_name = "Key " + std::to_string(level + 1) + "." + std::to_string(child);
        if (sprinkled(serial, 10007))
            child_name += " SimConnect";
        created = create_subtree(key, child_name, level + 1, serial);
    }
    RegCloseKey(key);
    return created;
}

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int create()
{
    const auto start = std::chrono::steady_clock::now();
    unsigned long serial = 0;
    if (!create_subtree(HKEY_CURRENT_USER, bench_key, 0, serial)) {
        std::printf("could not create the hive\n");
        return 1;
    }
    std::printf("created %lu keys in %.2f s\n", serial, seconds_since(start));
    return serial == total_keys ? 0 : 1;
}

int walk()
{
    const auto start = std::chrono::steady_clock::now();
    enumerate_registry(HKEY_CURRENT_USER, bench_key, 0, false);
    const double elapsed = seconds_since(start);
    std::printf("walk: %lu keys in %.3f s, %.0f keys/s, %zu report bytes\n", total_keys, elapsed,
                total_keys / elapsed, report_stream.str().size());
    return report_stream.str().empty() ? 1 : 0;
}

int remove_hive()
{
    return RegDeleteTreeA(HKEY_CURRENT_USER, bench_key) == ERROR_SUCCESS ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "create") == 0)
        return create();
    if (std::strcmp(command, "walk") == 0)
        return walk();
    if (std::strcmp(command, "delete") == 0)
        return remove_hive();
    std::printf("usage: registry_walk_bench create|walk|delete\n");
    return 2;
}
