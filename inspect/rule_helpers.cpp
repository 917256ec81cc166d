#include "rule_helpers.h"

#include "config_files.h"

#include <algorithm>

std::string folded(std::string_view text)
{
    std::string copy(text);
    for (char& c : copy)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 0x20);
    return copy;
}

bool trees_are_meaningful(const Report& report)
{
    return !report.install_path_failure && !report.install_path.empty();
}

namespace {

std::string backslashed(std::string_view path)
{
    std::string copy(path);
    std::replace(copy.begin(), copy.end(), '/', '\\');
    while (copy.size() > 2 && copy[0] == '.' && copy[1] == '\\')
        copy.erase(0, 2);
    return copy;
}

bool ends_with_folded(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && same_text(text.substr(text.size() - suffix.size()), suffix);
}

} // namespace

bool names_module(std::string_view path, const Report& report, const Config& config)
{
    const std::string candidate = backslashed(path);
    const std::string module = backslashed(config.module);
    if (module.empty())
        return false;
    if (same_text(candidate, module))
        return true;
    if (trees_are_meaningful(report))
        return same_text(candidate, report.install_path + module);
    return ends_with_folded(candidate, "\\" + module);
}

std::string windows_name(const WindowsVersion& windows)
{
    if (!windows.name.empty())
        return windows.name;
    if (windows.major == 6 && windows.minor == 3)
        return "Windows 8.1";
    if (windows.major == 10 && windows.minor == 0)
        return windows.build >= 22000 ? "Windows 11" : "Windows 10";
    return "";
}
