#include "report/lines.h"

#include <string>

namespace {

const std::string_view cannot_read = "Can't read file...";
const std::string_view path_too_long = "Path too long...";
const std::string_view windows_label = "System dir                    : ";
const std::string_view libraries_label = "Side-by-side libraries list   : ";
const std::string_view winsxs_failure = "Can't open winsxs directory... ";
// Longer than any Windows path: each entry's path repeats its folders', so
// a hostile tree of deep, long names must not multiply the report's size.
const std::size_t max_tree_path = 32767;

bool is_digest(std::string_view text)
{
    if (text.size() != 32)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// ". name \tdigest": the digest stands behind the last space and tab, since
// a name holds no tab on Windows but a hostile report may.
bool read_file_line(std::string_view rest, std::size_t index, TreeEntry& entry, Report& report)
{
    const std::size_t separator = rest.rfind(" \t");
    if (!starts_with(rest, ". ") || separator == std::string_view::npos || separator < 2)
        return false;
    entry.path = std::string(rest.substr(2, separator - 2));
    entry.line = index + 1;
    const std::string_view digest = rest.substr(separator + 2);
    if (is_digest(digest))
        entry.digest = std::string(digest);
    else if (digest != cannot_read)
        note_damage(report, index, "a file line without a digest");
    return true;
}

// The folders above the current line: prefix[d] is the relative path,
// with its trailing backslash, of the folder whose entries have depth d.
struct TreeWalk {
    std::vector<std::string> prefix{""};
};

} // namespace

std::size_t parse_tree(const BodyLines& body, Tree& tree, Report& report)
{
    TreeWalk walk;
    std::size_t i = body.begin;
    for (; i < body.bound; ++i) {
        const std::string_view line = body.lines[i];
        std::size_t depth = count_tabs(line);
        const std::string_view rest = line.substr(depth);
        const bool folder = starts_with(rest, "O ");
        TreeEntry entry;
        if (!folder && rest != path_too_long && !read_file_line(rest, i, entry, report))
            break;
        if (depth >= walk.prefix.size()) {
            note_damage(report, i, "an entry deeper than its folder");
            depth = walk.prefix.size() - 1;
        }
        walk.prefix.resize(depth + 1);
        if (rest == path_too_long) {
            tree.notes.push_back(TreeNote{walk.prefix[depth], std::string(rest), i + 1});
            continue;
        }
        const std::size_t name_length = folder ? rest.size() - 2 : entry.path.size();
        if (walk.prefix[depth].size() + name_length > max_tree_path) {
            note_damage(report, i, "a path longer than Windows allows");
            continue;
        }
        if (folder) {
            entry.folder = true;
            entry.path = std::string(rest.substr(2));
            entry.line = i + 1;
            walk.prefix.push_back(walk.prefix[depth] + entry.path + "\\");
        }
        entry.path.insert(0, walk.prefix[depth]);
        tree.entries.push_back(std::move(entry));
    }
    return i;
}

namespace {

// "O C:\Windows\winsxs\x86_microsoft.vc80.crt_...\" names the folder.
std::string folder_name(std::string_view heading)
{
    heading.remove_prefix(2);
    if (!heading.empty() && heading.back() == '\\')
        heading.remove_suffix(1);
    const std::size_t slash = heading.rfind('\\');
    return std::string(slash == std::string_view::npos ? heading : heading.substr(slash + 1));
}

bool take_assembly_line(std::string_view line, std::size_t index, SideBySide& listing,
                        Report& report)
{
    if (starts_with(line, "O ")) {
        AssemblyFolder folder;
        folder.name = folder_name(line);
        folder.line = index + 1;
        listing.folders.push_back(std::move(folder));
        return true;
    }
    if (listing.folders.empty())
        return false;
    AssemblyFolder& folder = listing.folders.back();
    if (starts_with(line, "Can't open ") && line.size() > 14 &&
        line.substr(line.size() - 14) == " directory... ") {
        folder.readable = false;
        return true;
    }
    TreeEntry file;
    if (!starts_with(line, "\t") || !read_file_line(line.substr(1), index, file, report))
        return false;
    folder.files.push_back(std::move(file));
    return true;
}

} // namespace

std::size_t parse_side_by_side(const BodyLines& body, SideBySide& listing, Report& report)
{
    std::size_t i = body.begin;
    if (i < body.bound && starts_with(body.lines[i], windows_label))
        listing.windows_directory = std::string(body.lines[i++].substr(windows_label.size()));
    else
        note_damage(report, i, "no \"System dir\" line");
    if (i < body.bound && body.lines[i] == libraries_label)
        ++i;
    else
        note_damage(report, i, "no \"Side-by-side libraries list\" line");
    if (i < body.bound && body.lines[i] == winsxs_failure) {
        listing.winsxs_readable = false;
        listing.winsxs_line = i + 1;
        return i + 1;
    }
    while (i < body.bound && take_assembly_line(body.lines[i], i, listing, report))
        ++i;
    return i;
}
