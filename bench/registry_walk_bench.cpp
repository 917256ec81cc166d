// Builds, walks and removes a synthetic registry hive below
// HKEY_CURRENT_USER\Software\Ravelo-bench: fan-out 10, depth 5 (100,000 leaf
// keys, 111,111 keys in all), three values per key, and a few keywords
// sprinkled in names and data. bench/registry_walk_bench.sh runs it under
// Wine beside `reg query /s` on the same hive.
//
//   registry_walk_bench create [DEPTH]  builds the hive (volatile keys: they
//                                       never reach the disk and go with the
//                                       registry server)
//   registry_walk_bench walk [DEPTH]    walks it silently as the scan walks a
//                                       root, and prints the keys per second
//                                       and the digest of the report
//   registry_walk_bench roots [counted] walks the three roots as the scan
//                                       does, and prints the same (the keys
//                                       walked are counted when asked)
//   registry_walk_bench delete          removes it
//
// The walks are framed by two named events, ravelo-bench-begin and
// ravelo-bench-end, so that a trace of Wine's server calls can be cut to the
// walk alone (bench/count_calls_under_wine.sh).
//
// Built natively, without arguments, it builds a hive of depth 4 in the
// substitute registry, walks it, and prints the calls made per key.
#include "bench/trace_mark.h"
#include "scan/registry_enumeration.h"
#include "scan/report.h"
#include "seal/md5.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#ifndef _WIN32
#include "platform/posix/call_counts.h"
#endif

namespace {

const char bench_key[] = "Software\\Ravelo-bench";
const int fan_out = 10;
const int default_depth = 5;

unsigned long keys_of_depth(int depth)
{
    unsigned long keys = 1, level = 1;
    for (int d = 0; d < depth; ++d)
        keys += level *= fan_out;
    return keys;
}

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

bool create_subtree(HKEY parent, const std::string& name, int level, int depth,
                    unsigned long& serial)
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
        created = create_subtree(key, child_name, level + 1, depth, serial);
    }
    RegCloseKey(key);
    return created;
}

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string report_digest()
{
    std::istringstream text(report_stream.str());
    return MD5(text).hex_digest();
}

int create(int depth)
{
    const auto start = std::chrono::steady_clock::now();
    unsigned long serial = 0;
    if (!create_subtree(HKEY_CURRENT_USER, bench_key, 0, depth, serial)) {
        std::printf("could not create the hive\n");
        return 1;
    }
    std::printf("created %lu keys in %.2f s\n", serial, seconds_since(start));
    return serial == keys_of_depth(depth) ? 0 : 1;
}

void print_walk(const char* what, unsigned long keys, double elapsed)
{
    std::printf("%s: %lu keys in %.3f s, %.0f keys/s, %zu report bytes, report digest %s\n", what,
                keys, elapsed, keys / elapsed, report_stream.str().size(), report_digest().c_str());
}

double timed_walk(HKEY root, const char* path)
{
    const auto start = std::chrono::steady_clock::now();
    mark("ravelo-bench-begin");
    enumerate_registry(root, path, 0, false);
    mark("ravelo-bench-end");
    return seconds_since(start);
}

int walk(int depth)
{
    report_stream.str("");
    const double elapsed = timed_walk(HKEY_CURRENT_USER, bench_key);
    print_walk("walk", keys_of_depth(depth), elapsed);
    return report_stream.str().empty() ? 1 : 0;
}

// Every key below parent\name that can be opened, that key included.
unsigned long count_keys(HKEY parent, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    // Bounded by the count: some keys of Wine (Perflib\009) fail every
    // enumeration without ever saying there are no more.
    DWORD subkeys = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    unsigned long keys = 1;
    char subkey[1024];
    for (DWORD index = 0; index < subkeys; ++index) {
        DWORD length = sizeof subkey;
        if (RegEnumKeyExA(key, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            keys += count_keys(key, subkey);
    }
    RegCloseKey(key);
    return keys;
}

const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS};

// The keys are counted only when asked: counting takes about as long as
// the walk.
int walk_roots(bool counted)
{
    report_stream.str("");
    double elapsed = 0;
    for (HKEY root : roots)
        elapsed += timed_walk(root, "");
    unsigned long keys = 0;
    for (HKEY root : roots)
        keys += counted ? count_keys(root, "") : 0;
    print_walk("roots", keys, elapsed);
    return 0;
}

int remove_hive()
{
    return RegDeleteTreeA(HKEY_CURRENT_USER, bench_key) == ERROR_SUCCESS ? 0 : 1;
}

#ifndef _WIN32
int count_calls()
{
    const int depth = 4;
    if (create(depth) != 0)
        return 1;
    clear_call_counts();
    walk(depth);
    const double keys = keys_of_depth(depth);
    std::printf("calls per key of the substitute registry:");
    double total = 0;
    for (const auto& entry : call_counts()) {
        std::printf(" %s %.2f", entry.first.c_str(), entry.second / keys);
        total += entry.second / keys;
    }
    std::printf("; in all %.2f\n", total);
    return remove_hive();
}
#endif

} // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "";
    const int depth = argc > 2 && std::strcmp(command, "roots") != 0 ? std::atoi(argv[2]) : default_depth;
    // From depth 3 on, the hive holds a keyword, so a walk has a report.
    if (depth < 3 || depth > 6) {
        std::printf("depth from 3 to 6\n");
        return 2;
    }
    if (std::strcmp(command, "create") == 0)
        return create(depth);
    if (std::strcmp(command, "walk") == 0)
        return walk(depth);
    if (std::strcmp(command, "roots") == 0)
        return walk_roots(argc > 2 && std::strcmp(argv[2], "counted") == 0);
    if (std::strcmp(command, "delete") == 0)
        return remove_hive();
#ifndef _WIN32
    if (!*command)
        return count_calls();
#endif
    std::printf("usage: registry_walk_bench create|walk [DEPTH] | roots [counted] | delete\n");
    return 2;
}
