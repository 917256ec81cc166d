#include "audit/toml_guard.h"

#include <algorithm>

namespace {

// The length of a string starting at text[at], its quotes included; a
// string left open runs to the end.
std::size_t string_length(std::string_view text, std::size_t at)
{
    const char quote = text[at];
    const bool multi_line = text.substr(at, 3) == std::string(3, quote);
    const std::string_view close = multi_line ? text.substr(at, 3) : text.substr(at, 1);
    for (std::size_t i = at + close.size(); i < text.size(); ++i) {
        if (quote == '"' && text[i] == '\\')
            ++i;
        else if (text.substr(i, close.size()) == close)
            return i + close.size() - at;
        else if (!multi_line && text[i] == '\n')
            return i - at;
    }
    return text.size() - at;
}

bool starts_key(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '-' || c == '"' || c == '\'';
}

// A header opens at text[at]: a name (bare or quoted) must follow its one
// or two brackets and any blanks; the end of the text toml++ reports itself.
bool header_starts_with_name(std::string_view text, std::size_t at)
{
    std::size_t name = at + 1;
    if (name < text.size() && text[name] == '[')
        ++name;
    name = std::min(text.find_first_not_of(" \t", name), text.size());
    return name == text.size() || starts_key(text[name]);
}

struct Scan {
    std::size_t line = 1;
    std::size_t marks = 0;  // dots and brackets on the line
    std::size_t open = 0;   // brackets and braces not closed yet
    bool line_start = true; // nothing but blanks on the line so far
};

bool take_mark(Scan& scan, std::string_view toml, std::size_t at, std::string& reason)
{
    const char c = toml[at];
    if (static_cast<unsigned char>(c) >= 0x80) {
        reason = "a character outside ASCII outside quotes and comments";
        return false;
    }
    if (c == '[' && scan.open == 0 && scan.line_start && !header_starts_with_name(toml, at)) {
        reason = "a table header that does not start with a name";
        return false;
    }
    if (c == '[' || c == '{')
        ++scan.open;
    else if ((c == ']' || c == '}') && scan.open)
        --scan.open;
    if ((c == '.' || c == '[' || c == '{') && ++scan.marks > max_toml_nesting) {
        reason = "more than " + std::to_string(max_toml_nesting) + " dots and brackets on one line";
        return false;
    }
    return true;
}

} // namespace

std::size_t toml_fault(std::string_view toml, std::string& reason)
{
    // Notepad saves "UTF-8" with a byte order mark, which TOML allows.
    const std::string_view utf8_mark = "\xEF\xBB\xBF";
    if (toml.substr(0, 2) == "\xFF\xFE" || toml.substr(0, 2) == "\xFE\xFF") {
        reason = "the file is UTF-16: save it as UTF-8";
        return 1;
    }
    Scan scan;
    for (std::size_t i = toml.substr(0, 3) == utf8_mark ? 3 : 0; i < toml.size(); ++i) {
        const char c = toml[i];
        if (c == '"' || c == '\'') {
            const std::size_t length = string_length(toml, i);
            scan.line += std::count(toml.begin() + i, toml.begin() + i + length, '\n');
            i += length - 1;
        } else if (c == '#') {
            while (i + 1 < toml.size() && toml[i + 1] != '\n')
                ++i;
        } else if (c == '\n') {
            ++scan.line;
            scan.marks = 0;
            scan.line_start = true;
            continue;
        } else if (!take_mark(scan, toml, i, reason)) {
            return scan.line;
        }
        if (c != ' ' && c != '\t' && c != '\r')
            scan.line_start = false;
    }
    return 0;
}
