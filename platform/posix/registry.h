#pragma once
#include "win32_types.h"

#include <cstddef>

// An in-memory registry behind the narrow Win32 registry calls, with the
// result codes and out-parameter rules of Windows. It holds bytes as the
// narrow calls give them, in a single-byte code page: a name of n bytes is n
// characters. Not thread-safe: the scan touches it from one thread.
//
// Subkeys come out of RegEnumKeyExA sorted as Windows sorts them: by name,
// comparing the names upper-cased (only a to z are folded here). Values come
// out of RegEnumValueA in the order they were first set, as on Windows.
// HKEY_CURRENT_USER is also the subkey S-1-5-21-0-0-0-1000 of HKEY_USERS, as
// under Wine. Names are compared without regard to the case of a to z.

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// The predefined roots carry the handle values Windows gives them.
#define HKEY_CLASSES_ROOT ((HKEY)(std::uintptr_t)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(std::uintptr_t)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(std::uintptr_t)0x80000002)
#define HKEY_USERS ((HKEY)(std::uintptr_t)0x80000003)
#define HKEY_PERFORMANCE_DATA ((HKEY)(std::uintptr_t)0x80000004)
#define HKEY_CURRENT_CONFIG ((HKEY)(std::uintptr_t)0x80000005)
#define HKEY_PERFORMANCE_TEXT ((HKEY)(std::uintptr_t)0x80000050)
#define HKEY_PERFORMANCE_NLSTEXT ((HKEY)(std::uintptr_t)0x80000060)

// Access rights are accepted and not checked. KEY_WOW64_32KEY chooses the
// 32-bit view once keep_two_registry_views is on; otherwise there is one.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11

// Options of RegCreateKeyExA are accepted and ignored: nothing here reaches
// a disk.
#define REG_OPTION_NON_VOLATILE 0
#define REG_OPTION_VOLATILE 1
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// Opens root\sub_key ("" or null: the key itself; empty path components are
// skipped). ERROR_FILE_NOT_FOUND when a component is missing,
// ERROR_INVALID_HANDLE for a root this registry does not hold.
LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, PHKEY result);

// Creates root\sub_key with every missing key on the way, or opens it;
// disposition (may be null) tells which.
LONG RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR key_class, DWORD options,
                     REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition);

// Every out-parameter may be null. Lengths of names are in characters
// without the terminator. Data lengths are in bytes; as on Windows, which
// keeps REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ data in UTF-16, such data
// counts two bytes per narrow byte. Class texts are empty; the time is zero.
LONG RegQueryInfoKeyA(HKEY key, LPSTR key_class, LPDWORD class_length, LPDWORD reserved,
                      LPDWORD sub_keys, LPDWORD longest_sub_key, LPDWORD longest_class,
                      LPDWORD values, LPDWORD longest_value_name, LPDWORD longest_value_data,
                      LPDWORD security_descriptor_size, PFILETIME last_write_time);

// The subkey at index, its name zero-terminated in name. In: *name_length is
// the buffer's size; out on success: the name's length. ERROR_MORE_DATA,
// *name_length unchanged, when the name and its terminator do not fit;
// ERROR_NO_MORE_ITEMS past the last subkey.
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD name_length, LPDWORD reserved,
                   LPSTR key_class, LPDWORD class_length, PFILETIME last_write_time);

// The value at index. name as for RegEnumKeyExA (length 0: the unnamed
// value). *type (if asked) receives the type code, *data_length (if asked)
// the data's length. ERROR_MORE_DATA when data is given and too small (the
// name is then not filled) or when the name does not fit;
// ERROR_NO_MORE_ITEMS past the last value. As on Windows, text data that
// lacks a terminator gets one written after it when the buffer has room.
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD name_length, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD data_length);

// The value called name (null or "": the unnamed value), with the data and
// terminator rules of RegEnumValueA. ERROR_FILE_NOT_FOUND when the key has
// no such value.
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_length);

// Sets the value called name (null or "": the unnamed value). A value set
// for the first time goes last in enumeration order; setting it again keeps
// its place. As on Windows, text data given without its terminator gets it
// added when the byte after the given length is zero.
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD length);

// Removes key\sub_key and everything below it, or, for a null or empty
// sub_key, everything below key. Handles still open on removed keys then
// fail with ERROR_KEY_DELETED.
LONG RegDeleteTreeA(HKEY key, LPCSTR sub_key);

// ERROR_INVALID_HANDLE for a handle that is not open.
LONG RegCloseKey(HKEY key);

// Test hooks of the substitute, in the manner of SQLite's swappable system
// calls: each makes a chosen call fail so that the failure paths of a caller
// are tested, not assumed. They are not part of Win32.

enum class RegistryCall { open_key, query_info_key, enum_key, enum_value, query_value };

// The calls of operation numbered after + 1 to after + times from now on
// (after 0: starting with the next one) return result without doing
// anything else; their out-parameters keep what the caller put in them.
void fail_registry_call(RegistryCall operation, unsigned after, LONG result, unsigned times = 1);

// Every call of operation on root\path (compared without regard to case;
// for open_key, the key being opened) returns result as above.
void fail_registry_key(RegistryCall operation, HKEY root, const char* path, LONG result);

// RegQueryInfoKeyA reports the longest subkey name, value name and value
// data each shortfall less than they are (not below zero), as Windows does
// in a multi-byte code page, where it counts UTF-16 characters, not bytes.
void understate_registry_lengths(DWORD shortfall);

// Ends every fault set above.
void clear_registry_faults();

// On: RegEnumKeyExA gives subkeys in the order they were created, for a test
// that needs a chosen order; off (the default): in the order of Windows.
void enumerate_subkeys_in_creation_order(bool on);

// On: the registry of 64-bit Windows, with two views of
// HKEY_LOCAL_MACHINE\Software: opened or created with KEY_WOW64_32KEY, it is
// its subkey Wow6432Node; without, the 64-bit view that holds Wow6432Node.
// Off (the default): one view, whatever the flags.
void keep_two_registry_views(bool on);

// Empties every hive, ends every fault, restores Windows's order and one view;
// handles still open are kept, on keys that no longer exist.
void reset_registry();

// Handles opened (not the predefined roots) and not yet closed.
std::size_t open_registry_handles();
