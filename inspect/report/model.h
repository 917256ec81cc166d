#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The typed model of one deciphered report. Every text is the report's
// bytes as written (ANSI code page), never re-encoded. Line numbers count
// from 1; 0 means "no line" (a value the report did not hold).

const std::size_t max_damage_listed = 100;

struct Damage {
    std::size_t line;
    std::string what;
};

struct Customer {
    std::string name, email, forum;
    // Its lines joined by line feeds; the carriage returns of the edit field
    // are dropped.
    std::string description;
    std::size_t line = 0;
};

struct WindowsVersion {
    bool present = false;
    unsigned major = 0, minor = 0, build = 0;
    unsigned sp_major = 0, sp_minor = 0;
    std::string name;          // as the report names it; often empty
    std::string service_pack;  // the CSD text, such as "Service Pack 3"
    bool workstation = true;   // false when the report warns of another type
    std::size_t version_line = 0, service_pack_line = 0, warning_line = 0;
};

// A file or folder of a listed tree, its path relative to the tree's root
// with backslashes.
struct TreeEntry {
    std::string path;
    bool folder = false;
    std::optional<std::string> digest;  // nullopt: "Can't read file..."
    std::size_t line = 0;
};

struct TreeNote {
    std::string folder;  // relative path of the folder the note stands under
    std::string text;
    std::size_t line = 0;
};

// present: its banner was found; complete: the next section's banner (or,
// for an echoed file, its closing lines) followed it, so what the section
// does not list is truly absent rather than cut off; damaged: some of its
// lines could not be read, so what it does not list may exist all the same.
struct Tree {
    bool present = false, complete = false, damaged = false;
    std::vector<TreeEntry> entries;
    std::vector<TreeNote> notes;  // "Path too long..."
};

struct EchoedFile {
    bool present = false, complete = false, damaged = false;
    bool found = false;    // false: "File not found..."
    // The copy's lines, each followed by a line feed: one string rather than
    // one per line, since a hostile copy may be millions of empty lines.
    std::string text;
    std::size_t first_line = 0;  // report line of the file's first line
};

struct Addon {
    std::string name, path;
    bool disabled = false;
    std::size_t line = 0;  // report line
};

struct DllXml {
    bool well_formed = false;
    std::string error;
    std::size_t error_line = 0;  // report line
    std::vector<Addon> addons;
};

struct IniEntry {
    std::string section, key, value;
    bool has_value = false;
    std::size_t line = 0;  // report line
};

struct FsxCfg {
    std::vector<IniEntry> entries;  // in file order, duplicate sections kept
};

struct AssemblyFolder {
    std::string name;  // the folder's own name, such as x86_microsoft.vc80.crt_...
    bool readable = true;
    std::vector<TreeEntry> files;
    std::size_t line = 0;
};

struct SideBySide {
    bool present = false, complete = false, damaged = false;
    std::string windows_directory;
    bool winsxs_readable = true;
    std::size_t winsxs_line = 0;  // of "Can't open winsxs directory... "
    std::vector<AssemblyFolder> folders;
};

struct RegistryValue {
    std::string name, data;  // data: its lines joined by line feeds
    std::size_t line = 0;
};

struct RegistryKey {
    unsigned level = 0;
    std::string path;  // as printed, root name included
    std::string failure;  // "Can't find registry entry: ..." and the like
    std::vector<RegistryValue> values;
    std::size_t line = 0;
};

struct RegistrySection {
    bool present = false, complete = false, damaged = false;
    std::string root;
    std::vector<RegistryKey> keys;
};

enum class FileStatus { ok, modified, missing, extra, unreadable, unchecked };

struct AuditedFile {
    std::string path;
    FileStatus status = FileStatus::unchecked;
    std::optional<std::string> digest, expected;
    std::size_t line = 0;
};

struct FileAudit {
    std::optional<std::string> release;  // the best-matching manifest's name
    std::vector<AuditedFile> files;
};

struct Report {
    std::size_t line_count = 0;
    std::size_t byte_count = 0;
    // The text ends inside its last line, which is then cut short: the
    // section it stands in is marked damaged.
    bool last_line_cut = false;
    bool install_path_failure = false;  // "Can't find FSX registry entry."
    Customer customer;
    WindowsVersion windows;
    std::string install_path, app_data_path;
    std::size_t install_path_line = 0;
    Tree vok, modules;
    EchoedFile dll_xml_text, fsx_cfg_text;
    DllXml dll_xml;
    FsxCfg fsx_cfg;
    SideBySide side_by_side;
    RegistrySection registry[3];
    std::vector<Damage> damage;
    std::size_t damage_not_listed = 0;  // past the first max_damage_listed
    // The line of every damage noted, listed or not, in the order noted:
    // what stands on any of them is not to be trusted.
    std::vector<std::size_t> damage_lines;
    // Lines where the reporter says it could not write a section whole ("Can't
    // read file to its end...", "Section cut short: ..."): no fault of the
    // report, but what such a section does not show may still exist.
    std::vector<Damage> cut_short;
    // Filled by audit_files once the add-on's manifests are known.
    FileAudit files;
};
