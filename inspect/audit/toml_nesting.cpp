#include "audit/toml_nesting.h"

#include <algorithm>
#include <string>

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

} // namespace

std::size_t line_nested_too_deep(std::string_view toml)
{
    std::size_t line = 1, nesting = 0;
    for (std::size_t i = 0; i < toml.size(); ++i) {
        const char c = toml[i];
        if (c == '"' || c == '\'') {
            const std::size_t length = string_length(toml, i);
            line += std::count(toml.begin() + i, toml.begin() + i + length, '\n');
            i += length - 1;
        } else if (c == '#') {
            while (i + 1 < toml.size() && toml[i + 1] != '\n')
                ++i;
        } else if (c == '\n') {
            ++line;
            nesting = 0;
        } else if ((c == '.' || c == '[' || c == '{') && ++nesting > max_toml_nesting) {
            return line;
        }
    }
    return 0;
}
