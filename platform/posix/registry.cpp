#include "registry.h"
#include "fault_injection.h"
#include "call_counts.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

struct Value {
    std::string name;
    DWORD type;
    std::string data;
};

struct Node {
    std::string name;
    std::vector<std::shared_ptr<Node>> subkeys; // sorted by upper-cased name
    std::vector<Value> values;                  // in the order first set
    // Where each value is in values, by its upper-cased name: a key may hold
    // 100,000 values, too many to look one up by going through them all.
    std::unordered_map<std::string, std::size_t> value_positions;
    bool deleted = false;
    unsigned long long serial = 0;              // rises in order of creation
};

// An open key, or a predefined root seen as one.
struct KeyRef {
    std::shared_ptr<Node> node;
    HKEY root;
    std::string path; // below root, components joined by one backslash
};

} // namespace

// What an HKEY other than a predefined root points to.
struct HKEY__ {
    KeyRef key;
};

namespace {

const char current_user_sid[] = "S-1-5-21-0-0-0-1000";

struct Hives {
    std::shared_ptr<Node> local_machine = std::make_shared<Node>();
    std::shared_ptr<Node> users = std::make_shared<Node>();
    std::shared_ptr<Node> current_user = std::make_shared<Node>();

    Hives()
    {
        current_user->name = current_user_sid;
        users->subkeys.push_back(current_user);
    }
};

Hives hives;
std::unordered_set<HKEY__*> open_handles;

struct CountedFault {
    RegistryCall operation;
    unsigned long long first, last; // call numbers, both included
    LONG result;
};

struct KeyFault {
    RegistryCall operation;
    HKEY root;
    std::string folded_path;
    LONG result;
};

const int operation_count = 5;
unsigned long long registry_calls_made[operation_count];
std::vector<CountedFault> counted_faults;
std::vector<KeyFault> key_faults;
DWORD length_shortfall;
bool creation_order;
bool two_views;
unsigned long long nodes_created;

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
}

std::string folded(const std::string& name)
{
    std::string result(name);
    std::transform(result.begin(), result.end(), result.begin(), upper);
    return result;
}

bool folded_less(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(upper(x)) < static_cast<unsigned char>(upper(y));
    });
}

bool same_name(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && folded(a) == folded(b);
}

std::vector<std::string> components_of(const char* path)
{
    std::vector<std::string> components;
    std::string component;
    for (const char* c = path ? path : ""; *c; ++c) {
        if (*c != '\\') {
            component += *c;
            continue;
        }
        if (!component.empty())
            components.push_back(component);
        component.clear();
    }
    if (!component.empty())
        components.push_back(component);
    return components;
}

std::string joined(const std::string& base, const char* sub_key)
{
    std::string path = base;
    for (const std::string& component : components_of(sub_key))
        path += (path.empty() ? "" : "\\") + component;
    return path;
}

bool is_root(HKEY key)
{
    return key == HKEY_LOCAL_MACHINE || key == HKEY_USERS || key == HKEY_CURRENT_USER;
}

std::shared_ptr<Node> root_node(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return hives.local_machine;
    if (key == HKEY_USERS)
        return hives.users;
    return hives.current_user;
}

LONG resolve(HKEY key, KeyRef& found)
{
    if (is_root(key)) {
        found = KeyRef{root_node(key), key, std::string()};
        return ERROR_SUCCESS;
    }
    if (!open_handles.count(key))
        return ERROR_INVALID_HANDLE;
    found = key->key;
    return found.node->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

std::vector<std::shared_ptr<Node>>::iterator subkey_position(Node& node, const std::string& name)
{
    return std::lower_bound(node.subkeys.begin(), node.subkeys.end(), name,
                            [](const std::shared_ptr<Node>& subkey, const std::string& wanted) {
                                return folded_less(subkey->name, wanted);
                            });
}

std::shared_ptr<Node> find_subkey(Node& node, const std::string& name)
{
    const auto at = subkey_position(node, name);
    return at != node.subkeys.end() && same_name((*at)->name, name) ? *at : nullptr;
}

Value* find_value(Node& node, const char* name)
{
    const auto at = node.value_positions.find(folded(name ? name : ""));
    return at == node.value_positions.end() ? nullptr : &node.values[at->second];
}

HKEY new_handle(const KeyRef& key)
{
    HKEY handle = new HKEY__{key};
    open_handles.insert(handle);
    return handle;
}

std::shared_ptr<Node> add_subkey(Node& node, const std::string& name)
{
    auto subkey = std::make_shared<Node>();
    subkey->name = name;
    subkey->serial = ++nodes_created;
    node.subkeys.insert(subkey_position(node, name), subkey);
    return subkey;
}

// With two views, HKEY_LOCAL_MACHINE\Software opened for the 32-bit view is
// its Wow6432Node subkey, as on 64-bit Windows; creating makes it if missing.
LONG enter_view(KeyRef& key, REGSAM access, bool creating)
{
    if (!two_views || !(access & KEY_WOW64_32KEY) || key.root != HKEY_LOCAL_MACHINE ||
        !same_name(key.path, "Software"))
        return ERROR_SUCCESS;
    std::shared_ptr<Node> view = find_subkey(*key.node, "Wow6432Node");
    if (!view && !creating)
        return ERROR_FILE_NOT_FOUND;
    key.node = view ? view : add_subkey(*key.node, "Wow6432Node");
    key.path = joined(key.path, "Wow6432Node");
    return ERROR_SUCCESS;
}

void mark_deleted(Node& node)
{
    node.deleted = true;
    for (const auto& subkey : node.subkeys)
        mark_deleted(*subkey);
}

bool is_text(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Counts the call and tells whether a fault set for it answers instead.
bool faulted(RegistryCall operation, HKEY root, const std::string& path, LONG& result)
{
    const unsigned long long number = ++registry_calls_made[static_cast<int>(operation)];
    for (const CountedFault& fault : counted_faults)
        if (fault.operation == operation && number >= fault.first && number <= fault.last) {
            result = fault.result;
            note_injected_failure(path);
            return true;
        }
    for (const KeyFault& fault : key_faults)
        if (fault.operation == operation && fault.root == root && fault.folded_path == folded(path)) {
            result = fault.result;
            note_injected_failure(path);
            return true;
        }
    return false;
}

// The root and path a fault names for a handle, valid or not.
KeyRef fault_target(HKEY key)
{
    if (!is_root(key) && open_handles.count(key))
        return key->key;
    return KeyRef{nullptr, key, std::string()};
}

// The fault answering a call on an open key or root, if any.
bool faulted(RegistryCall operation, HKEY key, LONG& result)
{
    const KeyRef target = fault_target(key);
    return faulted(operation, target.root, target.path, result);
}

// Copies stored data for the narrow calls: ERROR_MORE_DATA when it does not
// fit; text without a terminator gets one when the buffer has room, as NT
// does.
LONG deliver_data(const Value& value, LPBYTE data, DWORD capacity)
{
    const std::string& bytes = value.data;
    if (bytes.size() > capacity)
        return ERROR_MORE_DATA;
    std::memcpy(data, bytes.data(), bytes.size());
    if (is_text(value.type) && !bytes.empty() && bytes.back() != '\0' && bytes.size() < capacity)
        data[bytes.size()] = 0;
    return ERROR_SUCCESS;
}

// Copies a name and its terminator; false when they do not fit, with as much
// of the name as fits, terminated, in the buffer.
bool deliver_name(const std::string& name, LPSTR buffer, LPDWORD length)
{
    if (name.size() < *length) {
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        *length = static_cast<DWORD>(name.size());
        return true;
    }
    if (*length > 0) {
        std::memcpy(buffer, name.data(), *length - 1);
        buffer[*length - 1] = '\0';
    }
    return false;
}

DWORD stored_length(const Value& value)
{
    // Windows keeps text as UTF-16: two bytes for each byte of a single-byte
    // code page.
    const DWORD length = static_cast<DWORD>(value.data.size());
    return is_text(value.type) ? 2 * length : length;
}

DWORD understated(DWORD length)
{
    return length > length_shortfall ? length - length_shortfall : 0;
}

const Node& subkey_at(const Node& node, DWORD index)
{
    if (!creation_order)
        return *node.subkeys[index];
    std::vector<const Node*> created;
    for (const auto& subkey : node.subkeys)
        created.push_back(subkey.get());
    std::sort(created.begin(), created.end(),
              [](const Node* a, const Node* b) { return a->serial < b->serial; });
    return *created[index];
}

void set_if_asked(LPDWORD out, DWORD value)
{
    if (out)
        *out = value;
}

} // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD, REGSAM access, PHKEY result)
{
    count_call(__func__);
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyRef base = fault_target(key);
    LONG status;
    if (faulted(RegistryCall::open_key, base.root, joined(base.path, sub_key), status))
        return status;
    status = resolve(key, base);
    if (status != ERROR_SUCCESS)
        return status;
    KeyRef opened = base;
    for (const std::string& component : components_of(sub_key)) {
        opened.node = find_subkey(*opened.node, component);
        if (!opened.node)
            return ERROR_FILE_NOT_FOUND;
        opened.path = joined(opened.path, component.c_str());
        if (enter_view(opened, access, false) != ERROR_SUCCESS)
            return ERROR_FILE_NOT_FOUND;
    }
    *result = new_handle(opened);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD, LPSTR, DWORD, REGSAM access,
                     LPSECURITY_ATTRIBUTES,
                     PHKEY result, LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    KeyRef opened;
    const LONG status = resolve(key, opened);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD outcome = REG_OPENED_EXISTING_KEY;
    for (const std::string& component : components_of(sub_key)) {
        std::shared_ptr<Node> subkey = find_subkey(*opened.node, component);
        if (!subkey) {
            subkey = add_subkey(*opened.node, component);
            outcome = REG_CREATED_NEW_KEY;
        }
        opened.node = subkey;
        opened.path = joined(opened.path, component.c_str());
        enter_view(opened, access, true);
    }
    *result = new_handle(opened);
    set_if_asked(disposition, outcome);
    return ERROR_SUCCESS;
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR key_class, LPDWORD class_length, LPDWORD, LPDWORD sub_keys,
                      LPDWORD longest_sub_key, LPDWORD longest_class, LPDWORD values,
                      LPDWORD longest_value_name, LPDWORD longest_value_data,
                      LPDWORD security_descriptor_size, PFILETIME last_write_time)
{
    count_call(__func__);
    LONG status;
    if (faulted(RegistryCall::query_info_key, key, status))
        return status;
    KeyRef found;
    status = resolve(key, found);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD subkey_name = 0, value_name = 0, value_data = 0;
    for (const auto& subkey : found.node->subkeys)
        subkey_name = std::max(subkey_name, static_cast<DWORD>(subkey->name.size()));
    for (const Value& value : found.node->values) {
        value_name = std::max(value_name, static_cast<DWORD>(value.name.size()));
        value_data = std::max(value_data, stored_length(value));
    }
    if (key_class && class_length && *class_length > 0)
        key_class[0] = '\0';
    set_if_asked(class_length, 0);
    set_if_asked(sub_keys, static_cast<DWORD>(found.node->subkeys.size()));
    set_if_asked(longest_sub_key, understated(subkey_name));
    set_if_asked(longest_class, 0);
    set_if_asked(values, static_cast<DWORD>(found.node->values.size()));
    set_if_asked(longest_value_name, understated(value_name));
    set_if_asked(longest_value_data, understated(value_data));
    set_if_asked(security_descriptor_size, 0);
    if (last_write_time)
        *last_write_time = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD name_length, LPDWORD,
                   LPSTR key_class, LPDWORD class_length, PFILETIME last_write_time)
{
    count_call(__func__);
    LONG status;
    if (faulted(RegistryCall::enum_key, key, status))
        return status;
    if (!name || !name_length)
        return ERROR_INVALID_PARAMETER;
    KeyRef found;
    status = resolve(key, found);
    if (status != ERROR_SUCCESS)
        return status;
    if (index >= found.node->subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    const std::string& subkey = subkey_at(*found.node, index).name;
    if (subkey.size() >= *name_length)
        return ERROR_MORE_DATA;
    deliver_name(subkey, name, name_length);
    if (key_class && class_length && *class_length > 0)
        key_class[0] = '\0';
    set_if_asked(class_length, 0);
    if (last_write_time)
        *last_write_time = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD name_length, LPDWORD, LPDWORD type,
                   LPBYTE data, LPDWORD data_length)
{
    count_call(__func__);
    LONG status;
    if (faulted(RegistryCall::enum_value, key, status))
        return status;
    if (!name || !name_length || (data && !data_length))
        return ERROR_INVALID_PARAMETER;
    KeyRef found;
    status = resolve(key, found);
    if (status != ERROR_SUCCESS)
        return status;
    if (index >= found.node->values.size())
        return ERROR_NO_MORE_ITEMS;
    const Value& value = found.node->values[index];
    if (data)
        status = deliver_data(value, data, *data_length);
    if (status == ERROR_SUCCESS && !deliver_name(value.name, name, name_length))
        status = ERROR_MORE_DATA;
    set_if_asked(type, value.type);
    set_if_asked(data_length, static_cast<DWORD>(value.data.size()));
    return status;
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                      LPDWORD data_length)
{
    count_call(__func__);
    LONG status;
    if (faulted(RegistryCall::query_value, key, status))
        return status;
    if (data && !data_length)
        return ERROR_INVALID_PARAMETER;
    KeyRef found;
    status = resolve(key, found);
    if (status != ERROR_SUCCESS)
        return status;
    const Value* value = find_value(*found.node, name);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (data)
        status = deliver_data(*value, data, *data_length);
    set_if_asked(type, value->type);
    set_if_asked(data_length, static_cast<DWORD>(value->data.size()));
    return status;
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD length)
{
    if (!data && length > 0)
        return ERROR_INVALID_PARAMETER;
    KeyRef found;
    const LONG status = resolve(key, found);
    if (status != ERROR_SUCCESS)
        return status;
    // Windows reads the byte after the given length to decide this.
    if (is_text(type) && length > 0 && data[length - 1] != 0 && data[length] == 0)
        ++length;
    const std::string bytes(reinterpret_cast<const char*>(data), length);
    if (Value* value = find_value(*found.node, name)) {
        value->type = type;
        value->data = bytes;
    } else {
        found.node->value_positions[folded(name ? name : "")] = found.node->values.size();
        found.node->values.push_back(Value{name ? name : "", type, bytes});
    }
    return ERROR_SUCCESS;
}

LONG RegDeleteTreeA(HKEY key, LPCSTR sub_key)
{
    KeyRef parent;
    LONG status = resolve(key, parent);
    if (status != ERROR_SUCCESS)
        return status;
    std::vector<std::string> components = components_of(sub_key);
    if (components.empty()) {
        for (const auto& subkey : parent.node->subkeys)
            mark_deleted(*subkey);
        parent.node->subkeys.clear();
        parent.node->values.clear();
        parent.node->value_positions.clear();
        return ERROR_SUCCESS;
    }
    const std::string last = components.back();
    components.pop_back();
    for (const std::string& component : components)
        if (!(parent.node = find_subkey(*parent.node, component)))
            return ERROR_FILE_NOT_FOUND;
    const auto at = subkey_position(*parent.node, last);
    if (at == parent.node->subkeys.end() || !same_name((*at)->name, last))
        return ERROR_FILE_NOT_FOUND;
    mark_deleted(**at);
    parent.node->subkeys.erase(at);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    count_call(__func__);
    if (is_root(key))
        return ERROR_SUCCESS;
    if (!open_handles.erase(key))
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

void fail_registry_call(RegistryCall operation, unsigned after, LONG result, unsigned times)
{
    const unsigned long long first = registry_calls_made[static_cast<int>(operation)] + after + 1;
    counted_faults.push_back(CountedFault{operation, first, first + times - 1, result});
}

void fail_registry_key(RegistryCall operation, HKEY root, const char* path, LONG result)
{
    key_faults.push_back(KeyFault{operation, root, folded(joined("", path)), result});
}

void understate_registry_lengths(DWORD shortfall)
{
    length_shortfall = shortfall;
}

void clear_registry_faults()
{
    counted_faults.clear();
    key_faults.clear();
    length_shortfall = 0;
}

void enumerate_subkeys_in_creation_order(bool on)
{
    creation_order = on;
}

void keep_two_registry_views(bool on)
{
    two_views = on;
}

void reset_registry()
{
    mark_deleted(*hives.local_machine);
    mark_deleted(*hives.users);
    hives = Hives();
    clear_registry_faults();
    creation_order = false;
    two_views = false;
}

std::size_t open_registry_handles()
{
    return open_handles.size();
}
