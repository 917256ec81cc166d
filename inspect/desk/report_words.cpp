#include "desk/redaction.h"
#include "desk/redaction_parts.h"
#include "desk/word_matcher.h"

#include "report/config_files.h"
#include "report/lines.h"
#include "tools/report_shape.h"

#include <algorithm>

namespace {

const std::string_view customer_labels[] = {
    "Name:                ", "e-mail:              ", "Forum name:          ",
    "Problem description: "};
const std::size_t customer_label_size = 21;
// A damaged label (a byte or three changed in transit) is still told apart:
// any two of the labels differ in more bytes than that.
const std::size_t label_damage_tolerated = 3;

const std::string_view version_labels[] = {"OS version:          ", "Service pack:        "};
const std::string_view later_labels[] = {"OS version:          ", "Service pack:        ",
                                         "FSX path:            ", "App data path:       "};
const std::string_view value_labels[] = {
    "FSX path:            ", "App data path:       ", "System dir                    : ",
    "Side-by-side libraries list   : ", "Section cut short: "};
const std::string_view fixed_lines[] = {
    "The file begins below the line", "End of dll.xml reached.", "End of fsx.cfg reached.",
    "File not found...", "Can't find FSX registry entry.", "OS is not WORKSTATION type!",
    "Can't open winsxs directory... ", "Path too long...", "Can't read file to its end..."};
const std::string_view entry_marks[] = {". ", "O ", "-> "};

// The report's fixed texts, and the words dll.xml, fsx.cfg and the rules
// read by their meaning.
const std::string_view fixed_texts[] = {
    "Basic information", "Vok directory test", "Modules directory test", "dll.xml test",
    "fsx.cfg test", "Side by side libraries test", "HKEY_LOCAL_MACHINE enumeration",
    "HKEY_CURRENT_USER enumeration", "HKEY_USERS enumeration", "Name: e-mail: Forum name:",
    "Problem description: OS version: Service pack: FSX path: App data path:",
    "System dir Side-by-side libraries list", "The file begins below the line",
    "End of dll.xml reached.", "End of fsx.cfg reached.", "File not found...",
    "Can't find FSX registry entry.", "OS is not WORKSTATION type!",
    "Can't open winsxs directory...", "Path too long...", "Can't read file...",
    "Can't read file to its end...", "Section cut short: it reached the limit of",
    "Section cut short: the scan ran out of memory.", "Can't find registry entry:",
    "Can't obtain subkeys length table for key:", "SimBase.Document Launch.Addon Name Path",
    "Disabled ManualLoad True False", "Trusted", "Program Files",
    "x86_microsoft.FlightSimulator.SimConnect",
    // Windows' and the simulator's registry keys the sections enumerate,
    // and the folders of every Windows and profile.
    "Software Microsoft Windows CurrentVersion Uninstall", "Microsoft Games Flight Simulator",
    "System32 winsxs WINNT", "AppData Roaming Local LocalLow Application Data Local Settings",
    "Anwendungsdaten Lokale Einstellungen"};

void add_words(std::unordered_set<std::string>& words, std::string_view text)
{
    for (std::string& word : folded_words(text))
        words.insert(std::move(word));
}

bool is_section_title(std::string_view line)
{
    for (const char* title : section_title_lines)
        if (line == title)
            return true;
    return false;
}

bool starts_later_label(std::string_view line)
{
    for (std::string_view label : later_labels)
        if (starts_with(line, label))
            return true;
    return false;
}

std::size_t differing_bytes(std::string_view a, std::string_view b)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += a[i] != b[i];
    return count;
}

// The edits (a byte changed, lost or added) that make a into b.
std::size_t edit_distance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A label that lost or gained a byte (Nme:, Forumname:, a tab for its
// blanks) ends at its colon; its value starts after the blanks that follow.
// Where no such label stands, the whole line is the value.
std::size_t value_after_damaged_label(std::string_view line, std::string_view label)
{
    label = label.substr(0, label.find(':') + 1);
    const std::size_t colon =
        line.substr(0, customer_label_size + label_damage_tolerated).find(':');
    if (colon == std::string_view::npos ||
        edit_distance(line.substr(0, colon + 1), label) > label_damage_tolerated)
        return 0;
    std::size_t at = colon + 1;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    return at;
}

} // namespace

std::vector<std::string> folded_words(std::string_view text)
{
    std::vector<std::string> words;
    for (std::size_t i = 0; i < text.size();) {
        if (!is_word_byte(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && is_word_byte(static_cast<unsigned char>(text[end])))
            ++end;
        words.push_back(folded_text(text.substr(i, end - i)));
        i = end;
    }
    return words;
}

std::unordered_set<std::string> installation_words(const Config& config)
{
    static const std::unordered_set<std::string> fixed = [] {
        std::unordered_set<std::string> words;
        for (std::string_view text : fixed_texts)
            add_words(words, text);
        return words;
    }();
    std::unordered_set<std::string> words = fixed;
    add_words(words, config.addon_name);
    add_words(words, config.module);
    for (const std::vector<std::string>* list : {&config.simconnect, &config.vc_runtimes})
        for (const std::string& name : *list)
            add_words(words, name);
    for (const Manifest& manifest : config.manifests)
        for (const auto& [path, digest] : manifest.files)
            add_words(words, path);
    return words;
}

bool is_banner_line(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line.size() == 70 && line.front() == '*' && line.back() == '*';
}

bool is_layout_line(std::string_view line)
{
    if (is_banner_line(line))
        return true;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (!line.empty() && line.find_first_not_of('-') == std::string_view::npos)
        return true;
    for (std::string_view fixed : fixed_lines)
        if (line == fixed)
            return true;
    return false;
}

std::size_t layout_prefix(std::string_view line)
{
    // Most lines are entries, which no label starts as.
    if (!line.empty() && std::string_view("OSFA").find(line[0]) != std::string_view::npos) {
        for (std::string_view label : version_labels)
            if (starts_with(line, label)) {
                const std::size_t gap = line.find("  ", label.size());
                return gap == std::string_view::npos ? line.size() : gap + 2;
            }
        for (std::string_view label : value_labels)
            if (starts_with(line, label))
                return label.size();
    }
    const std::size_t tabs = count_tabs(line);
    for (std::string_view mark : entry_marks)
        if (starts_with(line.substr(tabs), mark))
            return tabs + mark.size();
    return tabs;
}

Span customer_lines(std::string_view text, const Report& report)
{
    // The parser's OS version line, so that the redacted report's is the same.
    const std::size_t version = report.windows.version_line ? report.windows.version_line - 1 : 0;
    bool opened = false, in_banner = false, cut_short = false;
    std::size_t begin = 0, end = 0, last_text = 0;
    for_each_line(text, [&](std::string_view line, std::size_t index) {
        if (!opened) {
            opened = is_section_title(line);
            in_banner = true;
            return !opened || line == section_title_lines[0];
        }
        if (in_banner && is_banner_line(line))
            return true;
        if (in_banner) {
            in_banner = false;
            begin = end = index;
        }
        if (version > begin ? index >= version : starts_later_label(line) || is_banner_line(line))
            return false;
        end = index + 1;
        if (!line.empty()) {
            last_text = index;
            cut_short = is_cut_short_line(line);
        }
        return true;
    });
    if (!opened || in_banner)
        return {0, 0};
    // The reporter's own line when it cut the section short.
    return {begin, cut_short ? last_text : end};
}

CustomerField customer_field(std::string_view line, std::size_t filled, std::size_t& value_at)
{
    const CustomerField fields[] = {CustomerField::name, CustomerField::email,
                                    CustomerField::forum, CustomerField::description};
    value_at = customer_label_size;
    for (std::size_t k = 0; k < 4; ++k)
        if (starts_with(line, customer_labels[k]))
            return fields[k];
    if (line.size() >= customer_label_size)
        for (std::size_t k = 0; k < 4; ++k)
            if (differing_bytes(line.substr(0, customer_label_size), customer_labels[k]) <=
                label_damage_tolerated) {
                value_at = value_after_damaged_label(line, customer_labels[k]);
                if (value_at == 0)
                    value_at = customer_label_size;
                return fields[k];
            }
    if (filled < 4) {
        value_at = value_after_damaged_label(line, customer_labels[filled]);
        return fields[filled];
    }
    value_at = 0;
    return CustomerField::description;
}

bool is_blank_line(std::string_view line)
{
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

const char* placeholder_of(CustomerField field)
{
    switch (field) {
    case CustomerField::name: return redacted_name_text;
    case CustomerField::email: return redacted_email_text;
    case CustomerField::forum: return redacted_forum_text;
    default: return redacted_description_text;
    }
}
