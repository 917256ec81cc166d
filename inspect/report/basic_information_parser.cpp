#include "report/lines.h"

#include <string>

namespace {

const std::string_view name_label = "Name:                ";
const std::string_view email_label = "e-mail:              ";
const std::string_view forum_label = "Forum name:          ";
const std::string_view description_label = "Problem description: ";
const std::string_view version_label = "OS version:          ";
const std::string_view service_pack_label = "Service pack:        ";
const std::string_view server_warning = "OS is not WORKSTATION type!";
const std::string_view install_path_label = "FSX path:            ";
const std::string_view app_data_label = "App data path:       ";

struct Cursor {
    const BodyLines& body;
    std::size_t at;
    Report& report;
};

// The first line from the cursor on that is not empty, or the bound.
std::size_t skip_empty(const Cursor& cursor)
{
    std::size_t i = cursor.at;
    while (i < cursor.body.bound && cursor.body.lines[i].empty())
        ++i;
    return i;
}

// The text behind label on the current line (empty lines passed over),
// which it then passes. When the line is another, the label is looked for
// further on: the lines skipped are noted as damage, and a label not found
// leaves the cursor where it was.
bool take_labeled(Cursor& cursor, std::string_view label, std::string& value,
                  std::size_t* line = nullptr)
{
    const std::size_t from = skip_empty(cursor);
    for (std::size_t i = from; i < cursor.body.bound; ++i) {
        if (!starts_with(cursor.body.lines[i], label))
            continue;
        if (i != from)
            note_damage(cursor.report, from, "line fits no rule of the basic information");
        value = std::string(cursor.body.lines[i].substr(label.size()));
        if (line)
            *line = i + 1;
        cursor.at = i + 1;
        return true;
    }
    std::string what(label.substr(0, label.find(':') + 1));
    note_damage(cursor.report, cursor.at, "no \"" + what + "\" line");
    return false;
}

std::string without_carriage_return(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return std::string(line);
}

// The description runs to the first empty line that has the version line
// after it. The edit field ends each of its lines with CR LF, so every line
// of the description but its last ends in CR: no line of it is empty, and
// a version line typed into it is not taken for the report's own.
void take_description(Cursor& cursor)
{
    std::string first;
    if (!take_labeled(cursor, description_label, first, &cursor.report.customer.line))
        return;
    std::string& description = cursor.report.customer.description;
    description = without_carriage_return(first);
    const Lines& lines = cursor.body.lines;
    for (std::size_t i = cursor.at; i + 1 < cursor.body.bound; ++i)
        if (lines[i].empty() && starts_with(lines[i + 1], version_label)) {
            for (std::size_t k = cursor.at; k < i; ++k)
                description += "\n" + without_carriage_return(lines[k]);
            cursor.at = i + 1;
            return;
        }
}

// Reads a decimal number of at most nine digits, so it cannot overflow.
bool take_number(std::string_view& text, unsigned& number)
{
    std::size_t digits = 0;
    number = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9')
        number = number * 10 + unsigned(text[digits++] - '0');
    text.remove_prefix(digits);
    return digits > 0;
}

bool take_literal(std::string_view& text, std::string_view literal)
{
    if (!starts_with(text, literal))
        return false;
    text.remove_prefix(literal.size());
    return true;
}

// "6.1 build 7601  Windows 7"
bool read_version(std::string_view text, WindowsVersion& windows)
{
    if (!take_number(text, windows.major) || !take_literal(text, ".") ||
        !take_number(text, windows.minor) || !take_literal(text, " build ") ||
        !take_number(text, windows.build) || !take_literal(text, "  "))
        return false;
    windows.name = std::string(text);
    return true;
}

// "1.0  Service Pack 1"
bool read_service_pack(std::string_view text, WindowsVersion& windows)
{
    if (!take_number(text, windows.sp_major) || !take_literal(text, ".") ||
        !take_number(text, windows.sp_minor) || !take_literal(text, "  "))
        return false;
    windows.service_pack = std::string(text);
    return true;
}

void take_windows(Cursor& cursor)
{
    WindowsVersion& windows = cursor.report.windows;
    std::string text;
    if (take_labeled(cursor, version_label, text, &windows.version_line)) {
        windows.present = read_version(text, windows);
        if (!windows.present)
            note_damage(cursor.report, windows.version_line - 1, "unreadable OS version");
    }
    if (take_labeled(cursor, service_pack_label, text, &windows.service_pack_line) &&
        !read_service_pack(text, windows))
        note_damage(cursor.report, windows.service_pack_line - 1, "unreadable service pack");
    if (cursor.at < cursor.body.bound && cursor.body.lines[cursor.at] == server_warning) {
        windows.workstation = false;
        windows.warning_line = ++cursor.at;
    }
}

} // namespace

std::size_t parse_basic_information(const BodyLines& body, Report& report)
{
    Cursor cursor{body, body.begin, report};
    Customer& customer = report.customer;
    take_labeled(cursor, name_label, customer.name);
    take_labeled(cursor, email_label, customer.email);
    take_labeled(cursor, forum_label, customer.forum);
    take_description(cursor);
    take_windows(cursor);
    take_labeled(cursor, install_path_label, report.install_path, &report.install_path_line);
    take_labeled(cursor, app_data_label, report.app_data_path);
    return cursor.at;
}
