#include "report/lines.h"

#include <algorithm>
#include <string>

namespace {

const std::string_view opening = "The file begins below the line";
const std::string_view rule_line =
    "----------------------------------------------------------------------";
const std::string_view not_found = "File not found...";
const std::string_view open_failure = "Can't find registry entry: ";
const std::string_view query_failure = "Can't obtain subkeys length table for key: ";

// The rule line followed by "End of <file> reached.", searched from from on
// up to the end of the report: a copied file holds no banner of its own
// that could end it, only (if ever) this very pair.
std::size_t find_closing(const Lines& lines, std::size_t from, std::string_view closing)
{
    for (std::size_t i = from; i + 1 < lines.size(); ++i)
        if (lines[i] == rule_line && lines[i + 1] == closing)
            return i;
    return lines.size();
}

// Where a copy that is not closed ends: before the start of its closing
// lines, when the report was cut inside them.
std::size_t closing_cut_away(const Lines& lines, std::size_t from, std::size_t bound,
                             std::string_view closing)
{
    if (bound > from && lines[bound - 1] == rule_line)
        return bound - 1;
    if (bound > from + 1 && lines[bound - 2] == rule_line &&
        starts_with(closing, lines[bound - 1]))
        return bound - 2;
    return bound;
}

} // namespace

std::size_t parse_echo(const BodyLines& body, const char* file_name, EchoedFile& file,
                       Report& report)
{
    const Lines& lines = body.lines;
    std::size_t i = body.begin;
    if (i + 1 < body.bound && lines[i] == opening && lines[i + 1] == rule_line)
        i += 2;
    else
        note_damage(report, i, std::string("no opening lines before the copy of ") + file_name);
    const std::string closing = std::string("End of ") + file_name + " reached.";
    std::size_t end = find_closing(lines, i, closing);
    const bool closed = end < lines.size();
    file.complete = closed;
    if (!closed) {
        note_damage(report, body.bound ? body.bound - 1 : 0,
                    std::string("the copy of ") + file_name + " is not closed");
        end = closing_cut_away(lines, i, body.bound, closing);
    }
    if (end == i + 1 && lines[i] == not_found) {
        file.first_line = i + 1;
        return closed ? end + 2 : end;
    }
    file.found = true;
    file.first_line = i + 1;
    // A copy the reporter stopped early ends with the line that says so; a
    // file's own last line is followed by the empty line of its final line
    // feed, so it cannot be taken for it.
    std::size_t copied = end;
    if (copied > i && is_cut_short_line(lines[copied - 1])) {
        --copied;
        note_cut_short(report, copied, lines[copied]);
        file.complete = false;
    }
    for (std::size_t k = i; k < copied; ++k)
        file.text.append(lines[k]).push_back('\n');
    return closed ? end + 2 : end;
}

namespace {

struct RegistryWalk {
    RegistrySection& section;
    Report& report;
    std::string_view root_prefix;  // "HKEY_LOCAL_MACHINE\"
    RegistryValue* last_value = nullptr;
    // open[d]: the index of the last key read at level d. A key's values
    // follow its subkeys, one tab deeper than the key itself.
    std::vector<std::size_t> open;
    // Empty lines after the last value, which belong to its data only when
    // more of it follows: the section ends with such lines.
    std::size_t pending_line_feeds = 0;
};

void take_pending_line_feeds(RegistryWalk& walk)
{
    if (walk.last_value)
        walk.last_value->data.append(walk.pending_line_feeds, '\n');
    walk.pending_line_feeds = 0;
}

// The key a value line of this many tabs belongs to, or nullptr.
RegistryKey* owner_of_value(RegistryWalk& walk, std::size_t tabs)
{
    if (tabs == 0 || tabs > walk.open.size())
        return nullptr;
    return &walk.section.keys[walk.open[tabs - 1]];
}

bool take_key_line(RegistryWalk& walk, std::string_view line, std::size_t index)
{
    const std::size_t tabs = count_tabs(line);
    const std::string_view rest = line.substr(tabs);
    if (starts_with(rest, walk.root_prefix)) {
        RegistryKey key;
        key.level = static_cast<unsigned>(tabs);
        key.path = std::string(rest);
        key.line = index + 1;
        walk.open.resize(std::min(tabs, walk.open.size()));
        walk.open.push_back(walk.section.keys.size());
        walk.section.keys.push_back(std::move(key));
        walk.last_value = nullptr;
        return true;
    }
    if (walk.section.keys.empty())
        return false;
    if (starts_with(rest, open_failure) || starts_with(rest, query_failure)) {
        walk.section.keys.back().failure = std::string(rest);
        walk.last_value = nullptr;
        return true;
    }
    const std::size_t separator = rest.find(" \t");
    RegistryKey* owner = owner_of_value(walk, tabs);
    if (!starts_with(rest, "-> ") || separator == std::string_view::npos || !owner)
        return false;
    RegistryKey& key = *owner;
    key.values.push_back(RegistryValue{std::string(rest.substr(3, separator - 3)),
                                       std::string(rest.substr(separator + 2)), index + 1});
    walk.last_value = &key.values.back();
    return true;
}

} // namespace

std::size_t parse_registry(const BodyLines& body, RegistrySection& section, Report& report)
{
    section.root = "HKEY_LOCAL_MACHINE";
    if (&section == &report.registry[1])
        section.root = "HKEY_CURRENT_USER";
    else if (&section == &report.registry[2])
        section.root = "HKEY_USERS";
    const std::string root_prefix = section.root + "\\";
    RegistryWalk walk{section, report, root_prefix, nullptr, {}, 0};
    for (std::size_t i = body.begin; i < body.bound; ++i) {
        const std::string_view line = body.lines[i];
        if (line.empty()) {
            ++walk.pending_line_feeds;
            continue;
        }
        take_pending_line_feeds(walk);
        if (take_key_line(walk, line, i))
            continue;
        // Text data holding line feeds runs over several report lines.
        if (walk.last_value) {
            walk.last_value->data += '\n';
            walk.last_value->data += line;
        } else {
            note_damage(report, i, "line fits no rule of a registry section");
        }
    }
    return body.bound;
}
