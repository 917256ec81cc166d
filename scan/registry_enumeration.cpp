#include "registry_enumeration.h"

#include "report.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char* const keywords[] = {"fsx", "simconnect", "flightsimulator", "flight simulator"};

struct HiveName {
    HKEY root;
    const char* name;
};

const HiveName hive_names[] = {
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_PERFORMANCE_NLSTEXT, "HKEY_PERFORMANCE_NLSTEXT"},
    {HKEY_PERFORMANCE_TEXT, "HKEY_PERFORMANCE_TEXT"},
    {HKEY_USERS, "HKEY_USERS"},
};

// How many times one index is asked again after ERROR_MORE_DATA. Doubling
// from one byte, a name buffer reaches 64 KiB, more than the longest value
// name (16,383 UTF-16 characters) needs in any code page.
const int more_data_retries = 16;

// A buffer for a registry call: the capacity the call is told of, and one
// byte more, so that what the call delivered can always be terminated.
class CallBuffer {
public:
    explicit CallBuffer(DWORD capacity) : bytes(capacity + 1) {}
    DWORD capacity() const { return static_cast<DWORD>(bytes.size() - 1); }
    char* text() { return bytes.data(); }
    LPBYTE data() { return reinterpret_cast<LPBYTE>(bytes.data()); }
    void grow(DWORD capacity) { bytes.assign(capacity + 1, '\0'); }
    void clear() { std::fill(bytes.begin(), bytes.end(), '\0'); }
    // The delivered bytes as text: up to the first zero byte among them.
    const char* terminated(DWORD length)
    {
        bytes[std::min(length, capacity())] = '\0';
        return bytes.data();
    }

private:
    std::vector<char> bytes;
};

struct KeyLengths {
    DWORD subkeys, longest_subkey_name, values, longest_value_name, longest_value_data;
};

// One visit of enumerate_registry, once its key is open and measured.
struct Visit {
    HKEY root;
    const char* key_path;
    DWORD level;
    bool printing;
    HKEY key;
    KeyLengths lengths;
};

struct ValueRead {
    DWORD name_length, type, data_length;
};

void write_key_line(DWORD level, const char* prefix, HKEY root, const char* key_path)
{
    indent(level);
    report_stream << prefix << hive_name(root) << '\\' << key_path << write_endl;
}

bool query_lengths(HKEY key, KeyLengths& lengths)
{
    // The counts are asked for only to know when a failing index is the last.
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &lengths.subkeys,
                            &lengths.longest_subkey_name, nullptr, &lengths.values,
                            &lengths.longest_value_name, &lengths.longest_value_data, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

// In a multi-byte code page the query counted UTF-16 characters, so a name
// can need more bytes than it said; Windows does not tell how many.
LONG enum_subkey(HKEY key, DWORD index, CallBuffer& name)
{
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; result == ERROR_MORE_DATA && attempt <= more_data_retries; ++attempt) {
        if (attempt > 0)
            name.grow(2 * name.capacity());
        name.clear();
        DWORD length = name.capacity();
        result = RegEnumKeyExA(key, index, name.text(), &length, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

void visit_subkey(const Visit& visit, const char* name)
{
    std::string child_path = visit.key_path;
    if (!child_path.empty())
        child_path += '\\';
    child_path += name;
    if (!visit.printing && matches_keyword(name))
        enumerate_registry(visit.root, child_path.c_str(), 0, true);
    else
        enumerate_registry(visit.root, child_path.c_str(), visit.level + 1, visit.printing);
}

void visit_subkeys(const Visit& visit)
{
    CallBuffer name(visit.lengths.longest_subkey_name + 1);
    for (DWORD index = 0;; ++index) {
        const LONG result = enum_subkey(visit.key, index, name);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS)
            visit_subkey(visit, name.text());
        else if (index + 1 >= visit.lengths.subkeys)
            break;
    }
}

// On ERROR_MORE_DATA, Windows tells the data length it needs; when the data
// fitted, the name did not. A value whose data does not fit comes back with
// neither name nor data.
LONG enum_value(HKEY key, DWORD index, CallBuffer& name, CallBuffer& data, ValueRead& read)
{
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; result == ERROR_MORE_DATA && attempt <= more_data_retries; ++attempt) {
        if (attempt > 0 && read.data_length > data.capacity())
            data.grow(read.data_length);
        else if (attempt > 0)
            name.grow(2 * name.capacity());
        name.clear();
        read = ValueRead{name.capacity(), 0, data.capacity()};
        result = RegEnumValueA(key, index, name.text(), &read.name_length, nullptr, &read.type,
                               data.data(), &read.data_length);
    }
    return result;
}

// The number in the first four delivered bytes, little-endian; bytes not
// delivered count as zero.
DWORD load32_le(const char* bytes, DWORD length)
{
    DWORD value = 0;
    for (DWORD i = std::min<DWORD>(length, 4); i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

void write_value_line(const Visit& visit, const char* name, const ValueRead& read,
                      const char* text)
{
    indent(visit.level + 1);
    report_stream << "-> " << (read.name_length == 0 ? "(default)" : name);
    if (read.type == REG_DWORD)
        report_stream << " \t0x" << std::hex << load32_le(text, read.data_length) << std::dec;
    else
        report_stream << " \t" << text;
    report_stream << write_endl;
}

// Writes the values while printing; otherwise tells whether one matches,
// looking no further than the first that does.
bool visit_values(const Visit& visit)
{
    CallBuffer name(visit.lengths.longest_value_name + 1);
    CallBuffer data(visit.lengths.longest_value_data);
    for (DWORD index = 0;; ++index) {
        ValueRead read{};
        const LONG result = enum_value(visit.key, index, name, data, read);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS) {
            if (index + 1 >= visit.lengths.values)
                break;
            continue;
        }
        const char* text = data.terminated(read.data_length);
        if (visit.printing)
            write_value_line(visit, name.terminated(read.name_length), read, text);
        else if (matches_keyword(name.terminated(read.name_length)) || matches_keyword(text))
            return true;
    }
    return false;
}

} // namespace

bool matches_keyword(const char* text)
{
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 0x20);
    for (const char* keyword : keywords)
        if (folded.find(keyword) != std::string::npos)
            return true;
    return false;
}

const char* hive_name(HKEY root)
{
    for (const HiveName& entry : hive_names)
        if (entry.root == root)
            return entry.name;
    return "";
}

void indent(DWORD count)
{
    for (DWORD i = 0; i < count; ++i)
        report_stream.put('\t');
}

void enumerate_registry(HKEY root, const char* key_path, DWORD level, bool printing)
{
    if (printing)
        write_key_line(level, "", root, key_path);
    Visit visit{root, key_path, level, printing, nullptr, KeyLengths{}};
    if (RegOpenKeyExA(root, key_path, 0, KEY_READ, &visit.key) != ERROR_SUCCESS) {
        if (printing)
            write_key_line(level, "Can't find registry entry: ", root, key_path);
        return;
    }
    if (!query_lengths(visit.key, visit.lengths)) {
        if (printing)
            write_key_line(level, "Can't obtain subkeys length table for key: ", root, key_path);
    } else {
        visit_subkeys(visit);
        // The matching key is written whole while its silent visit still
        // holds it open.
        if (visit_values(visit))
            enumerate_registry(root, key_path, 0, true);
    }
    RegCloseKey(visit.key);
}
