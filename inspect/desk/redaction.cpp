#include "desk/redaction.h"

#include "output/display_text.h"
#include "report/lines.h"
#include "report/parser.h"
#include "rules/helpers.h"

#include <algorithm>

namespace {

const std::string_view name_label = "Name:                ";
const std::string_view email_label = "e-mail:              ";
const std::string_view forum_label = "Forum name:          ";
const std::string_view description_label = "Problem description: ";

// Labels and fixed lines of the report's layout, which a name that happens
// to be a word of them must not break.
const std::string_view layout_labels[] = {
    name_label, email_label, forum_label, description_label,
    "OS version:          ", "Service pack:        ", "FSX path:            ",
    "App data path:       ", "System dir                    : ",
    "Side-by-side libraries list   : ",
};
const std::string_view layout_lines[] = {
    "The file begins below the line", "End of dll.xml reached.", "End of fsx.cfg reached.",
    "File not found...", "Can't find FSX registry entry.", "OS is not WORKSTATION type!",
    "Can't open winsxs directory... ",
};
const std::string_view entry_marks[] = {". ", "O ", "-> "};

// Profile folders every Windows has, which name nobody.
const std::string_view shared_profiles[] = {"public", "default", "default user", "all users"};

// A machine has a few profiles; a report naming more is made to slow the
// search down, and past these the names are left.
const std::size_t most_user_names = 8;

// Shorter texts are replaced only as whole words: "Al" must not eat "Alt".
const std::size_t shortest_free_match = 3;
const std::size_t digest_length = 32;

struct Pattern {
    std::string folded_text, placeholder;
};

bool is_word_byte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           c >= 0x80;
}

bool is_hex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The match lies inside a run of hex digits as long as an MD5 digest.
bool inside_digest(std::string_view text, std::size_t at, std::size_t size)
{
    for (std::size_t i = at; i < at + size; ++i)
        if (!is_hex(text[i]))
            return false;
    std::size_t begin = at, end = at + size;
    while (begin > 0 && is_hex(text[begin - 1]))
        --begin;
    while (end < text.size() && is_hex(text[end]))
        ++end;
    return end - begin >= digest_length;
}

bool matches_at(std::string_view text, const std::string& lower, std::size_t at,
                const Pattern& pattern)
{
    const std::size_t size = pattern.folded_text.size();
    if (lower.compare(at, size, pattern.folded_text) != 0)
        return false;
    if (size < shortest_free_match &&
        ((at > 0 && is_word_byte(text[at - 1])) ||
         (at + size < text.size() && is_word_byte(text[at + size]))))
        return false;
    return !inside_digest(text, at, size);
}

// Left to right, the longest pattern first where several match.
std::string replace_patterns(std::string_view text, const std::vector<Pattern>& patterns)
{
    bool starts[256] = {};
    for (const Pattern& pattern : patterns)
        starts[static_cast<unsigned char>(pattern.folded_text[0])] = true;
    const std::string lower = folded(text);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (!starts[static_cast<unsigned char>(lower[i])]) {
            ++i;
            continue;
        }
        const auto hit = std::find_if(patterns.begin(), patterns.end(), [&](const Pattern& p) {
            return matches_at(text, lower, i, p);
        });
        if (hit == patterns.end()) {
            ++i;
            continue;
        }
        out.append(text.substr(copied, i - copied));
        out += hit->placeholder;
        i += hit->folded_text.size();
        copied = i;
    }
    out.append(text.substr(copied));
    return out;
}

// UTF-16LE of a UTF-8 text of the Basic Multilingual Plane, which is all
// that Windows-1252 reaches.
std::string utf16le(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = utf8[i];
        unsigned code = lead;
        std::size_t extra = lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (extra)
            code &= extra == 2 ? 0x0F : 0x1F;
        for (std::size_t k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>(code >> 8);
        i += extra + 1;
    }
    return out;
}

std::string trimmed(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos)
        return "";
    return std::string(text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1));
}

void add_replacement(PersonalData& data, std::string_view original, const std::string& placeholder)
{
    const std::string text = trimmed(original);
    if (text.empty())
        return;
    data.replacements.emplace_back(text, placeholder);
    const std::string utf8 = to_utf8(text);
    if (utf8 != text)
        data.replacements.emplace_back(utf8, placeholder);
    if (text.size() >= shortest_free_match)
        data.replacements.emplace_back(utf16le(utf8), utf16le(placeholder));
}

std::vector<Pattern> patterns_of(const PersonalData& data)
{
    std::vector<Pattern> patterns;
    for (const auto& [original, placeholder] : data.replacements)
        patterns.push_back({folded(original), placeholder});
    std::stable_sort(patterns.begin(), patterns.end(), [](const Pattern& a, const Pattern& b) {
        return a.folded_text.size() > b.folded_text.size();
    });
    return patterns;
}

bool is_banner_line(std::string_view line)
{
    return line.size() == 70 && line.front() == '*' && line.back() == '*';
}

// How much of a line belongs to the report's layout: all of a banner or a
// fixed line, a label, or the tabs and mark that open a listed entry.
std::size_t layout_prefix(std::string_view line)
{
    std::string_view body = line;
    if (!body.empty() && body.back() == '\r')
        body.remove_suffix(1);
    if (is_banner_line(body) || body.find_first_not_of('-') == std::string_view::npos)
        return line.size();
    for (std::string_view fixed : layout_lines)
        if (body == fixed)
            return line.size();
    for (std::string_view label : layout_labels)
        if (starts_with(line, label))
            return label.size();
    const std::size_t tabs = line.find_first_not_of('\t');
    if (tabs == std::string_view::npos)
        return line.size();
    for (std::string_view mark : entry_marks)
        if (starts_with(line.substr(tabs), mark))
            return tabs + mark.size();
    return tabs;
}

// A customer line keeps its label; its value becomes the placeholder.
bool replace_labeled(std::string_view line, std::string& out)
{
    const std::pair<std::string_view, const char*> fields[] = {
        {name_label, redacted_name_text},
        {email_label, redacted_email_text},
        {forum_label, redacted_forum_text},
    };
    for (const auto& [label, placeholder] : fields)
        if (starts_with(line, label) && !trimmed(line.substr(label.size())).empty()) {
            out.append(label);
            out += placeholder;
            if (line.back() == '\r')
                out += '\r';
            return true;
        }
    return false;
}

void replace_description_line(std::string_view line, bool first, std::string& out)
{
    if (first)
        out.append(description_label);
    out += redacted_description_text;
    if (!line.empty() && line.back() == '\r')
        out += '\r';
}

// The edit field ends every line of the description but its last with a
// carriage return: so many lines are the customer's words, even where the
// parser, in a damaged report, took fewer.
std::ptrdiff_t description_line_count(std::string_view text, std::size_t first_line)
{
    std::size_t start = 0;
    for (std::size_t line = 1; line < first_line && start < text.size(); ++line) {
        const std::size_t end = text.find('\n', start);
        start = end == std::string_view::npos ? text.size() : end + 1;
    }
    std::ptrdiff_t count = 0;
    while (start < text.size()) {
        ++count;
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos || end == start || text[end - 1] != '\r')
            break;
        start = end + 1;
    }
    return count;
}

} // namespace

std::vector<std::string> profile_user_names(std::string_view text)
{
    std::string lower = folded(text);
    std::replace(lower.begin(), lower.end(), '/', '\\');
    std::vector<std::string> names;
    for (std::string_view prefix : {"\\users\\", "\\documents and settings\\"})
        for (std::size_t at = lower.find(prefix); at != std::string::npos;
             at = lower.find(prefix, at + 1)) {
            const std::size_t begin = at + prefix.size();
            const std::size_t end = lower.find_first_of(std::string("\\\t\r\n\"<>|;=\0", 11), begin);
            const std::string name(text.substr(begin, end == std::string::npos ? end : end - begin));
            const std::string key = folded(name);
            if (name.empty() || name.size() > 64 ||
                name.find('%') != std::string::npos ||
                std::find(std::begin(shared_profiles), std::end(shared_profiles), key) !=
                    std::end(shared_profiles))
                continue;
            if (std::none_of(names.begin(), names.end(),
                             [&](const std::string& n) { return folded(n) == key; }))
                names.push_back(name);
            if (names.size() == most_user_names)
                return names;
        }
    return names;
}

PersonalData find_personal_data(std::string_view report_text)
{
    const Report report = parse_report(report_text);
    PersonalData data;
    add_replacement(data, report.customer.name, redacted_name_text);
    add_replacement(data, report.customer.email, redacted_email_text);
    add_replacement(data, report.customer.forum, redacted_forum_text);
    for (const std::string& user : profile_user_names(report_text)) {
        add_replacement(data, user, redacted_user_text);
        // A profile folder "NAME.DOMAIN" holds the user name before the dot.
        const std::size_t dot = user.find('.');
        if (dot != std::string::npos && dot > 0)
            add_replacement(data, user.substr(0, dot), redacted_user_text);
    }
    if (report.customer.line) {
        data.description_line = report.customer.line;
        data.description_lines = std::max(
            1 + std::count(report.customer.description.begin(),
                           report.customer.description.end(), '\n'),
            description_line_count(report_text, report.customer.line));
    }
    return data;
}

std::string redacted_text(std::string_view text, const PersonalData& data)
{
    return replace_patterns(text, patterns_of(data));
}

std::string redacted_report(std::string_view report_text, const PersonalData& data)
{
    const std::vector<Pattern> patterns = patterns_of(data);
    const std::size_t customer_lines_end = data.description_line ? data.description_line : 20;
    std::string out;
    out.reserve(report_text.size());
    std::size_t number = 1;
    for (std::size_t start = 0; start <= report_text.size(); ++number) {
        std::size_t end = report_text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = report_text.size();
        const std::string_view line = report_text.substr(start, end - start);
        if (number >= data.description_line &&
            number < data.description_line + data.description_lines)
            replace_description_line(line, number == data.description_line, out);
        else if (number >= customer_lines_end || !replace_labeled(line, out)) {
            const std::size_t kept = layout_prefix(line);
            out.append(line.substr(0, kept));
            out += replace_patterns(line.substr(kept), patterns);
        }
        if (last)
            break;
        out += '\n';
        start = end + 1;
    }
    return out;
}
