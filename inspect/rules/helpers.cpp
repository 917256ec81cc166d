#include "rules/helpers.h"

#include "report/config_files.h"
#include "report/lines.h"

#include <algorithm>

std::string folded(std::string_view text)
{
    return folded_text(text);
}

bool trees_are_meaningful(const Report& report)
{
    return !report.install_path_failure && !report.install_path.empty() &&
           report.install_path.back() == '\\';
}

std::string install_folder(const Report& report)
{
    if (report.install_path_failure || report.install_path.empty())
        return "";
    std::string folder = report.install_path;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

bool is_absolute(std::string_view path)
{
    return (path.size() > 1 && path[1] == ':') || starts_with(path, "\\");
}

std::string normalised_path(std::string_view path, const Report& report)
{
    std::string copy(path);
    std::replace(copy.begin(), copy.end(), '/', '\\');
    while (starts_with(copy, ".\\"))
        copy.erase(0, 2);
    const std::string folder = install_folder(report);
    if (!folder.empty() && copy.size() > folder.size() &&
        same_text(std::string_view(copy).substr(0, folder.size()), folder))
        copy.erase(0, folder.size());
    return copy;
}

namespace {

bool under_note(std::string_view relative, const std::string& tree_folder, const Tree& tree)
{
    for (const TreeNote& note : tree.notes) {
        const std::string folder = tree_folder + note.folder;
        if (relative.size() > folder.size() && same_text(relative.substr(0, folder.size()), folder))
            return true;
    }
    return false;
}

} // namespace

bool under_unlisted_folder(std::string_view relative, const Report& report,
                           const Config& config)
{
    return under_note(relative, config.addon_name + "\\", report.vok) ||
           under_note(relative, "Modules\\", report.modules);
}

namespace {

bool ends_with_folded(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && same_text(text.substr(text.size() - suffix.size()), suffix);
}

} // namespace

bool names_module(std::string_view path, const Report& report, const Config& config)
{
    const std::string module = normalised_path(config.module, Report{});
    if (module.empty())
        return false;
    const std::string candidate = normalised_path(path, report);
    if (same_text(candidate, module))
        return true;
    return install_folder(report).empty() && ends_with_folded(candidate, "\\" + module);
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
