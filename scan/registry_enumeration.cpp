#include "registry_enumeration.h"

#include "registry_access.h"
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

// Data a section could not hold is not read at all: a value past this shows
// its name and "Value too large to read..." instead.
const DWORD max_value_data = section_limit;

// A buffer for a registry call: the capacity the call is told of, and one
// byte more, so that what the call delivered can always be terminated.
class CallBuffer {
public:
    explicit CallBuffer(DWORD capacity) : bytes(capacity + 1) {}
    DWORD capacity() const { return static_cast<DWORD>(bytes.size() - 1); }
    char* text() { return bytes.data(); }
    LPBYTE data() { return reinterpret_cast<LPBYTE>(bytes.data()); }
    void grow(DWORD capacity) { bytes.resize(capacity + 1); }
    // The delivered bytes as text: up to the first zero byte among them.
    // Nothing behind them is read, so the buffer is never cleared.
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
    const std::string& key_path;
    DWORD level;
    bool printing;
    HKEY key;
    KeyLengths lengths;
};

struct ValueRead {
    DWORD name_length, type, data_length;
};

void write_key_line(DWORD level, const char* prefix, HKEY root, const std::string& key_path)
{
    indent(level);
    report_stream << prefix << hive_name(root) << '\\' << key_path << write_endl;
}

// The counts tell the enumerations where to stop, so that no call is spent
// on an index past the last.
bool query_lengths(HKEY key, KeyLengths& lengths)
{
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &lengths.subkeys,
                            &lengths.longest_subkey_name, nullptr, &lengths.values,
                            &lengths.longest_value_name, &lengths.longest_value_data, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

// In a multi-byte code page the query counted UTF-16 characters, so a name
// can need more bytes than it said; Windows does not tell how many.
LONG enum_subkey(HKEY key, DWORD index, CallBuffer& name, DWORD& length)
{
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; result == ERROR_MORE_DATA && attempt <= more_data_retries; ++attempt) {
        if (attempt > 0)
            name.grow(2 * name.capacity());
        length = name.capacity();
        result = RegEnumKeyExA(key, index, name.text(), &length, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

void visit_key(HKEY root, HKEY parent, const char* sub_key, const std::string& key_path,
               DWORD level, bool printing);

void visit_subkey(const Visit& visit, const char* name)
{
    std::string child_path = visit.key_path;
    if (!child_path.empty())
        child_path += '\\';
    child_path += name;
    if (!visit.printing && matches_keyword(name))
        visit_key(visit.root, visit.key, name, child_path, 0, true);
    else
        visit_key(visit.root, visit.key, name, child_path, visit.level + 1, visit.printing);
}

void visit_subkeys(const Visit& visit)
{
    if (visit.lengths.subkeys == 0)
        return;
    CallBuffer name(visit.lengths.longest_subkey_name + 1);
    for (DWORD index = 0; index < visit.lengths.subkeys; ++index) {
        DWORD length = 0;
        const LONG result = enum_subkey(visit.key, index, name, length);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS)
            visit_subkey(visit, name.terminated(length));
    }
}

// On ERROR_MORE_DATA, Windows tells the data length it needs; when the data
// fitted, the name did not. A value whose data does not fit comes back with
// neither name nor data.
LONG enum_value(HKEY key, DWORD index, CallBuffer& name, CallBuffer& data, ValueRead& read)
{
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; result == ERROR_MORE_DATA && attempt <= more_data_retries; ++attempt) {
        if (attempt > 0 && read.data_length > max_value_data)
            return ERROR_MORE_DATA;
        if (attempt > 0 && read.data_length > data.capacity())
            data.grow(read.data_length);
        else if (attempt > 0)
            name.grow(2 * name.capacity());
        read = ValueRead{name.capacity(), 0, data.capacity()};
        result = RegEnumValueA(key, index, name.text(), &read.name_length, nullptr, &read.type,
                               data.data(), &read.data_length);
    }
    return result;
}

// The name and type of a value whose data is too large to read.
LONG enum_value_name(HKEY key, DWORD index, CallBuffer& name, ValueRead& read)
{
    read = ValueRead{name.capacity(), 0, 0};
    return RegEnumValueA(key, index, name.text(), &read.name_length, nullptr, &read.type,
                         nullptr, nullptr);
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
    if (visit.lengths.values == 0)
        return false;
    CallBuffer name(visit.lengths.longest_value_name + 1);
    CallBuffer data(std::min(visit.lengths.longest_value_data, max_value_data));
    for (DWORD index = 0; index < visit.lengths.values; ++index) {
        ValueRead read{};
        LONG result = enum_value(visit.key, index, name, data, read);
        const bool too_large = result == ERROR_MORE_DATA && read.data_length > max_value_data;
        if (too_large)
            result = enum_value_name(visit.key, index, name, read);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue;
        const char* text = too_large ? "Value too large to read..." : data.terminated(read.data_length);
        if (visit.printing)
            write_value_line(visit, name.terminated(read.name_length), read, text);
        else if (matches_keyword(name.terminated(read.name_length)) ||
                 (!too_large && matches_keyword(text)))
            return true;
    }
    return false;
}

// Measures the open key and walks its subkeys and values.
void walk_open_key(const Visit& opened)
{
    Visit visit = opened;
    if (!query_lengths(visit.key, visit.lengths)) {
        if (visit.printing)
            write_key_line(visit.level, "Can't obtain subkeys length table for key: ", visit.root,
                           visit.key_path);
        return;
    }
    visit_subkeys(visit);
    if (!visit_values(visit))
        return;
    // The matching key is written whole through the handle its silent
    // visit holds.
    const Visit printing{visit.root, visit.key_path, 0, true, visit.key, KeyLengths{}};
    write_key_line(0, "", visit.root, visit.key_path);
    walk_open_key(printing);
}

// Opens sub_key below parent: the root itself for a walk's first key, then
// the parent key's open handle, which gives the same key as its whole path
// from the root with one name to look up instead of the whole path.
void visit_key(HKEY root, HKEY parent, const char* sub_key, const std::string& key_path,
               DWORD level, bool printing)
{
    // A section that holds no more ends its walk.
    if (!report_stream)
        return;
    if (printing)
        write_key_line(level, "", root, key_path);
    HKEY key;
    if (RegOpenKeyExA(parent, sub_key, 0, registry_read_access, &key) != ERROR_SUCCESS) {
        if (printing)
            write_key_line(level, "Can't find registry entry: ", root, key_path);
        return;
    }
    walk_open_key(Visit{root, key_path, level, printing, key, KeyLengths{}});
    RegCloseKey(key);
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
    visit_key(root, root, key_path, key_path, level, printing);
}
