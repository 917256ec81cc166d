#include "desk/redaction_parts.h"

#include "report/config_files.h"
#include "report/text_encoding.h"

#include <algorithm>
#include <array>

namespace {

// Profile folders every Windows has, which name nobody.
const std::string_view shared_profiles[] = {"public", "default", "default user", "all users"};

// Longer than any profile folder's name (a user name of 20 characters, a
// domain, a ".000" of a second profile): such a path component is no name.
const std::size_t longest_profile_name = 64;

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

// Where a path component ends: a separator, or a byte no file name holds
// (or that ends a value: ; and = in lists and settings).
constexpr std::array<bool, 256> component_ends = [] {
    std::array<bool, 256> table{};
    for (unsigned char end : std::string_view("\\/\t\r\n\"<>|;=*?:\0", 15))
        table[end] = true;
    return table;
}();

bool ends_component(char c)
{
    return component_ends[static_cast<unsigned char>(c)];
}

std::size_t next_separator(std::string_view line, std::size_t from)
{
    while (from < line.size() && !is_separator(line[from]))
        ++from;
    return from < line.size() ? from : std::string_view::npos;
}

std::size_t component_end(std::string_view line, std::size_t begin)
{
    while (begin < line.size() && !ends_component(line[begin]))
        ++begin;
    return begin;
}

bool is_profile_name(std::string_view name)
{
    if (name.empty() || name.size() > longest_profile_name ||
        name.find('%') != std::string_view::npos || name == "." || name == "..")
        return false;
    const std::string key = folded_text(name);
    return std::find(std::begin(shared_profiles), std::end(shared_profiles), key) ==
           std::end(shared_profiles);
}

std::vector<std::string_view> components(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= path.size(); ++i)
        if (i == path.size() || is_separator(path[i])) {
            parts.push_back(path.substr(begin, i - begin));
            begin = i + 1;
        }
    while (parts.size() > 1 && parts.back().empty())
        parts.pop_back();
    return parts;
}

// 8.3 names take no spaces and these become underscores.
std::string short_name_part(std::string_view part, std::size_t length)
{
    std::string out;
    for (char c : part) {
        if (c == ' ' || c == '.')
            continue;
        out += std::string_view("+,;=[]").find(c) == std::string_view::npos ? c : '_';
        if (out.size() == length)
            break;
    }
    return out;
}

bool is_short_name(std::string_view name)
{
    const std::size_t dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    return !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
           extension.find('.') == std::string_view::npos &&
           name.find_first_of(" +,;=[]") == std::string_view::npos;
}

bool is_letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A drive (the first component of a path in a line, which runs from the
// line's start).
bool is_drive(std::string_view parent)
{
    const std::size_t size = parent.size();
    return size >= 2 && parent[size - 1] == ':' && is_letter(parent[size - 2]) &&
           (size == 2 || !is_letter(parent[size - 3]));
}

// The names Explorer shows for Users in the languages of Windows, in their
// ANSI code pages, which a customer copies into a path; elsewhere than at a
// drive's root such a folder is an add-on's own.
const std::string_view users_shown_as[] = {
    "Benutzer", "Utilisateurs", "Usuarios", "Usu\xE1rios", "Utilizadores", "Utenti",
    "Gebruikers", "Anv\xE4ndare", "Brugere", "Brukere", "K\xE4ytt\xE4j\xE4t",
    "U\xBFytkownicy", "U\x9Eivatel\xE9", "Felhaszn\xE1l\xF3k", "Kullan\xFD" "c\xFD" "lar",
    "\xCF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xF2\xE5\xEB\xE8", "\xD7\xF1\xDE\xF3\xF4\xE5\xF2",
    "\x83\x86\x81[\x83U\x81["};

// A root is one folder's name, or a folder and its parent's ("winnt\profiles").
bool is_root(std::string_view parent, std::string_view component,
             const std::vector<std::string>& roots)
{
    if (is_drive(parent))
        for (const std::string_view shown : users_shown_as)
            if (same_text(shown, component))
                return true;
    for (const std::string_view root : roots) {
        if (root.size() < component.size())
            continue;
        const std::size_t rest = root.size() - component.size();
        if ((rest == 0 || (root[rest - 1] == '\\' && same_text(root.substr(0, rest - 1), parent))) &&
            same_text(root.substr(rest), component))
            return true;
    }
    return false;
}

} // namespace

const std::vector<std::string>& known_profile_roots()
{
    // NT's profiles stand in its own folder: elsewhere a Profiles folder is
    // an add-on's (FSX\Modules\Profiles).
    static const std::vector<std::string> roots = {
        "users",    "documents and settings", "dokumente und einstellungen", "docume~1",
        "dokume~1", "winnt\\profiles",       "windows\\profiles"};
    return roots;
}

AppDataProfile app_data_profile(std::string_view app_data_path)
{
    const std::vector<std::string_view> parts = components(app_data_path);
    // Vista and later: ...\NAME\AppData\Roaming; XP: ...\NAME\<Application
    // Data in the language of Windows>.
    std::size_t name = parts.size() >= 2 ? parts.size() - 2 : 0;
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (same_text(parts[i], "AppData"))
            name = i - 1;
    AppDataProfile profile;
    if (name == 0 || !is_profile_name(parts[name]) ||
        parts[name].find(':') != std::string_view::npos)
        return profile;
    profile.name = std::string(parts[name]);
    // \\server\share\NAME: the share is the root; C:\NAME: no root at all.
    const bool network = parts.size() > 2 && parts[0].empty() && parts[1].empty();
    const std::string_view root = parts[name - 1];
    if (name - 1 >= (network ? 3u : 1u) && !root.empty() && root.find(':') == std::string_view::npos)
        profile.root = folded_text(root);
    return profile;
}

std::vector<Span> profile_folders(std::string_view line, const std::vector<std::string>& roots)
{
    std::vector<Span> folders;
    std::size_t parent = 0;  // where the component before at begins
    for (std::size_t at = next_separator(line, 0); at != std::string_view::npos;) {
        const std::size_t begin = at + 1, end = component_end(line, begin);
        if (end < line.size() && is_separator(line[end]) &&
            is_root(line.substr(parent, at - parent), line.substr(begin, end - begin), roots)) {
            const std::size_t name_end = component_end(line, end + 1);
            if (is_profile_name(line.substr(end + 1, name_end - end - 1)))
                folders.push_back({end + 1, name_end});
        }
        parent = begin;
        at = next_separator(line, end);
    }
    return folders;
}

std::vector<std::string> short_names(std::string_view name)
{
    if (is_short_name(name))
        return {};
    const std::size_t dot = name.rfind('.');
    const bool has_extension = dot != std::string_view::npos && dot > 0;
    const std::string base = short_name_part(name.substr(0, has_extension ? dot : name.size()), 6);
    const std::string extension = has_extension ? short_name_part(name.substr(dot + 1), 3) : "";
    if (base.empty())
        return {};
    std::vector<std::string> names;
    // Windows numbers ~1 to ~4, then hashes the name; numbers past 4 come
    // from folders made before that rule.
    for (char digit = '1'; digit <= '9'; ++digit)
        names.push_back(base + '~' + digit + (extension.empty() ? "" : "." + extension));
    return names;
}

char windows_1252_byte(char32_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (unsigned byte = 0x80; byte < 0xA0; ++byte)
        if (windows_1252_code_point(static_cast<unsigned char>(byte)) == unit)
            return static_cast<char>(byte);
    return '\x7F';
}

namespace {

int hex_digit(char c)
{
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

bool is_percent_escape(std::string_view text, std::size_t i)
{
    return text[i] == '%' && i + 2 < text.size() && hex_digit(text[i + 1]) >= 0 &&
           hex_digit(text[i + 2]) >= 0;
}

} // namespace

bool has_percent_escape(std::string_view line)
{
    for (std::size_t i = line.find('%'); i != std::string_view::npos; i = line.find('%', i + 1))
        if (is_percent_escape(line, i))
            return true;
    return false;
}

std::string percent_decoded(std::string_view text, std::vector<std::size_t>& at)
{
    std::string decoded;
    at.clear();
    for (std::size_t i = 0; i < text.size();) {
        at.push_back(i);
        if (is_percent_escape(text, i)) {
            decoded += static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
            i += 3;
        } else {
            decoded += text[i++];
        }
    }
    at.push_back(text.size());
    return decoded;
}

std::string ansi_name(std::string_view name)
{
    std::string ansi;
    if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }) ||
        !ansi_from_utf8(name, ansi))
        return std::string(name);
    return ansi;
}

std::string narrowed_utf16(std::string_view line, std::size_t first, bool big_endian)
{
    std::string narrow;
    narrow.reserve(line.size() / 2);
    for (std::size_t i = first; i + 1 < line.size(); i += 2) {
        const auto low = static_cast<unsigned char>(line[i + big_endian]);
        const auto high = static_cast<unsigned char>(line[i + !big_endian]);
        narrow += windows_1252_byte(low | char32_t(high) << 8);
    }
    return narrow;
}
