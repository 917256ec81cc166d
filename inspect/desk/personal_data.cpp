#include "desk/redaction.h"
#include "desk/redaction_parts.h"
#include "desk/word_matcher.h"

#include "report/config_files.h"
#include "report/parser.h"
#include "tools/report_shape.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

// A description line of fewer words (of two characters or more, with a
// letter), or one with a path or a setting in it, quotes the machine (a
// version, an error code, fsx.cfg's value, the install path) more often
// than it says who the customer is, and would stand for those values
// wherever the report holds them.
const std::size_t fewest_description_words = 3;
const std::size_t shortest_name_word = 2;

// The profile folders met so far, by folded name.
using Users = std::unordered_set<std::string>;

class Collector {
public:
    explicit Collector(PersonalData& data) : data_(data) {}

    // Each part of the text between path separators, tabs and NULs, as
    // whole words: a placeholder must not cut a path in two.
    void add(std::string_view text, const std::string& placeholder)
    {
        std::size_t begin = 0;
        for (std::size_t i = 0; i <= text.size(); ++i)
            if (i == text.size() || std::string_view("\\/\t\r\n", 6).find(text[i]) !=
                                        std::string_view::npos) {
                add_whole(text.substr(begin, i - begin), placeholder);
                begin = i + 1;
            }
    }

    void add_whole(std::string_view part, const std::string& placeholder)
    {
        std::size_t begin = 0, end = part.size();
        while (begin < end && !is_word_byte(static_cast<unsigned char>(part[begin])))
            ++begin;
        while (end > begin && !is_word_byte(static_cast<unsigned char>(part[end - 1])))
            --end;
        if (begin == end || !seen_.insert(folded_text(part.substr(begin, end - begin))).second)
            return;
        data_.texts.emplace_back(std::string(part.substr(begin, end - begin)), placeholder);
    }

private:
    PersonalData& data_;
    std::unordered_set<std::string> seen_;
};

// Letters and digits: "Ada_Lovelace" has two words here.
std::vector<std::string_view> name_words(std::string_view name)
{
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t end = i;
        while (end < name.size() && name[end] != '_' &&
               is_word_byte(static_cast<unsigned char>(name[end])))
            ++end;
        if (end - i >= shortest_name_word)
            words.push_back(name.substr(i, end - i));
        i = std::max(end, i + 1);
    }
    return words;
}

// The name as written, each word of it (so that any spacing, order or
// separator is found), and its words joined by underscores, which make one
// word of them.
void add_name(Collector& collect, std::string_view name)
{
    collect.add(name, redacted_name_text);
    const std::vector<std::string_view> words = name_words(name);
    for (std::string_view word : words)
        collect.add(word, redacted_name_text);
    if (words.size() < 2)
        return;
    std::string joined, reversed;
    for (std::size_t k = 0; k < words.size(); ++k) {
        joined += (k ? "_" : "") + std::string(words[k]);
        reversed += (k ? "_" : "") + std::string(words[words.size() - 1 - k]);
    }
    collect.add(joined, redacted_name_text);
    collect.add(reversed, redacted_name_text);
}

// A profile folder's name, the NAME of NAME.DOMAIN (or NAME.000), each
// word of a NAME of several (a person's name), and its short names. The
// customer's own is [user]; each other folder is numbered, so that two
// users' paths are still told apart as the rules compare them.
void add_user(Collector& collect, PersonalData& data, std::string_view folder, Users& users)
{
    if (!users.insert(folded_text(folder)).second)
        return;
    const std::string placeholder = numbered_user(users.size());
    data.profiles.emplace_back(folder, placeholder);
    collect.add(folder, placeholder);
    const std::string_view name = folder.substr(0, folder.find('.'));
    if (name.empty())
        return;
    collect.add(name, placeholder);
    const std::vector<std::string_view> words = name_words(name);
    if (words.size() > 1)
        for (std::string_view word : words)
            collect.add(word, placeholder);
    for (const std::string& short_name : short_names(folder))
        collect.add(short_name, placeholder);
}

bool is_prose(std::string_view line)
{
    std::size_t words = 0;
    for (const std::string& word : folded_words(line))
        words += word.size() > 1 && word.find_first_not_of("0123456789_") != std::string::npos;
    return words >= fewest_description_words &&
           line.find_first_of("\\/=") == std::string_view::npos;
}

// An address and its local part, often the customer's login or name.
void add_address(Collector& collect, std::string_view local, std::string_view domain)
{
    collect.add(std::string(local) + std::string(domain), redacted_email_text);
    if (local.size() >= shortest_name_word)
        collect.add(local, redacted_email_text);
}

// The field as written and each address in it ("Ada" <ada@example.com>, two
// of them); of a subaddress (ada+fsx@example.com), the mailbox it is
// delivered to too, which the customer gives where no tag is wanted.
void add_addresses(Collector& collect, std::string_view field)
{
    collect.add(field, redacted_email_text);
    const std::string_view delimiters = " \t<>\"'(),;:[]";
    for (std::size_t at = field.find('@'); at != std::string_view::npos;
         at = field.find('@', at + 1)) {
        const std::size_t before = field.find_last_of(delimiters, at);
        const std::size_t begin = before == std::string_view::npos ? 0 : before + 1;
        const std::size_t end = std::min(field.find_first_of(delimiters, at), field.size());
        const std::string_view local = field.substr(begin, at - begin);
        const std::string_view domain = field.substr(at, end - at);
        add_address(collect, local, domain);
        const std::size_t tag = local.find('+');
        if (tag != std::string_view::npos && tag > 0)
            add_address(collect, local.substr(0, tag), domain);
    }
}

std::string_view trimmed_value(std::string_view line, std::size_t value_at)
{
    line.remove_prefix(std::min(value_at, line.size()));
    const std::size_t begin = line.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos)
        return {};
    return line.substr(begin, line.find_last_not_of(" \t\r") - begin + 1);
}

void add_customer_line(Collector& collect, std::string_view line, std::size_t filled)
{
    std::size_t value_at = 0;
    const CustomerField field = customer_field(line, filled, value_at);
    const std::string_view value = trimmed_value(line, value_at);
    if (value.empty() || is_layout_line(line))
        return;
    if (field == CustomerField::name)
        add_name(collect, value);
    else if (field == CustomerField::email)
        add_addresses(collect, value);
    else if (field == CustomerField::forum)
        collect.add(value, redacted_forum_text);
    else if (is_prose(value))
        collect.add_whole(value, redacted_description_text);
}

// The report up to the title of its second section: the basic
// information, whatever the rest holds.
std::string_view basic_information_of(std::string_view text)
{
    std::size_t end = text.size();
    for_each_line(text, [&](std::string_view line, std::size_t) {
        for (std::size_t s = 1; s < section_count; ++s)
            if (line == section_title_lines[s]) {
                end = line.data() - text.data();
                return false;
            }
        return true;
    });
    return text.substr(0, end);
}

// The profile folders a line names, in its bytes and, where it holds NULs,
// in UTF-16 of either byte order from either byte.
void add_profile_folders(Collector& collect, PersonalData& data, Users& users,
                         std::string_view line, bool text_has_nul)
{
    // A name with characters the code page lacks (or read from the wrong
    // byte) has no other form in the report to look for; one that dll.xml
    // spells with references (J&#252;rgen) is read as XML shows it.
    // A URL's escapes (Ada%20Lovelace, J%C3%BCrgen) are read as its reader
    // shows them.
    std::vector<std::size_t> at;
    const auto add_from = [&](std::string_view view, bool url) {
        std::string decoded;
        if (view.find("&#") != std::string_view::npos) {
            decoded = decoded_references(view, at);
            view = decoded;
        }
        for (const Span folder : profile_folders(view, data.profile_roots)) {
            const std::string_view name = view.substr(folder.begin, folder.end - folder.begin);
            if (name.find('\x7F') == std::string_view::npos)
                add_user(collect, data, url ? ansi_name(name) : std::string(name), users);
        }
    };
    add_from(line, false);
    if (has_percent_escape(line))
        add_from(percent_decoded(line, at), true);
    if (!text_has_nul || line.find('\0') == std::string_view::npos)
        return;
    for (bool big_endian : {false, true})
        for (std::size_t first : {0, 1})
            add_from(narrowed_utf16(line, first, big_endian), false);
}

} // namespace

PersonalData find_personal_data(std::string_view report_text)
{
    PersonalData data;
    Collector collect(data);
    const std::string_view head = basic_information_of(report_text);
    const Report header = parse_report(head);
    const Span customer = customer_lines(head, header);
    std::size_t filled = 0;
    for_each_line(head, [&](std::string_view line, std::size_t index) {
        if (index >= customer.begin && index < customer.end && !is_blank_line(line))
            add_customer_line(collect, line, filled++);
        return index + 1 < customer.end;
    });
    data.profile_roots = known_profile_roots();
    const AppDataProfile own = app_data_profile(header.app_data_path);
    if (!own.root.empty() && std::find(data.profile_roots.begin(), data.profile_roots.end(),
                                       own.root) == data.profile_roots.end())
        data.profile_roots.push_back(own.root);
    Users users;
    if (!own.name.empty())
        add_user(collect, data, own.name, users);
    const bool has_nul = report_text.find('\0') != std::string_view::npos;
    for_each_line(report_text, [&](std::string_view line, std::size_t) {
        add_profile_folders(collect, data, users, line, has_nul);
        return true;
    });
    return data;
}

void add_personal_data(PersonalData& data, const PersonalData& more)
{
    // The other report's users follow this one's; one it names too keeps
    // the number it has here.
    std::unordered_map<std::string, std::string> known, renumbered;
    for (const auto& [folder, placeholder] : data.profiles)
        known.emplace(folded_text(folder), placeholder);
    for (const auto& [folder, placeholder] : more.profiles) {
        auto same = known.find(folded_text(folder));
        if (same == known.end()) {
            same = known.emplace(folded_text(folder), numbered_user(data.profiles.size() + 1)).first;
            data.profiles.emplace_back(folder, same->second);
        }
        renumbered.emplace(placeholder, same->second);
    }
    std::unordered_set<std::string> seen;
    for (const auto& entry : data.texts)
        seen.insert(folded_text(entry.first));
    for (const auto& [text, placeholder] : more.texts) {
        if (!seen.insert(folded_text(text)).second)
            continue;
        const auto number = renumbered.find(placeholder);
        data.texts.emplace_back(text, number == renumbered.end() ? placeholder : number->second);
    }
    for (const std::string& root : more.profile_roots)
        if (std::find(data.profile_roots.begin(), data.profile_roots.end(), root) ==
            data.profile_roots.end())
            data.profile_roots.push_back(root);
}

std::string numbered_user(std::size_t number)
{
    return number == 1 ? std::string(redacted_user_text)
                       : "[user " + std::to_string(number) + "]";
}
