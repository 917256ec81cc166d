#include "dropped_files.h"

#include "../platform/desktop.h"

#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::size_t max_problems_listed = 10;

bool same_extension(const fs::path& name, const std::string& extension)
{
    const std::string own = name.extension().u8string();
    if (own.size() != extension.size())
        return false;
    for (std::size_t i = 0; i < own.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(own[i])) !=
            std::tolower(static_cast<unsigned char>(extension[i])))
            return false;
    return true;
}

// Read-only, or held by another program: opening it to append writes
// nothing yet fails the same way.
bool can_write_over(const std::string& file)
{
    std::ofstream out(fs::u8path(file), std::ios::binary | std::ios::app);
    return out.is_open();
}

} // namespace

bool dropped_arguments(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments)
        if (argument.empty() || argument[0] == '-')
            return false;
    return true;
}

std::string file_beside(const std::string& input, const std::string& extension)
{
    fs::path name = fs::u8path(input);
    if (same_extension(name, extension))
        return input + extension;
    return name.replace_extension(fs::u8path(extension)).u8string();
}

std::string usable_name(const std::string& name, const std::string& extension,
                        const std::function<bool(const std::string&)>& reusable)
{
    const std::string stem = name.substr(0, name.size() - extension.size());
    for (int number = 1; number < 100; ++number) {
        const std::string candidate =
            number == 1 ? name : stem + " (" + std::to_string(number) + ")" + extension;
        std::error_code failure;
        // A link is taken, not followed: writing through it would land
        // elsewhere. A name that cannot be looked at (too long) is left to
        // fail when written, which says why.
        const fs::file_status status = fs::symlink_status(fs::u8path(candidate), failure);
        if (failure || status.type() == fs::file_type::not_found)
            return candidate;
        if (reusable(candidate) &&
            (status.type() != fs::file_type::regular || can_write_over(candidate)))
            return candidate;
    }
    return std::string();
}

std::string file_head(const std::string& file, std::size_t size)
{
    std::ifstream in(fs::u8path(file), std::ios::binary);
    std::string head(size, '\0');
    in.read(head.data(), static_cast<std::streamsize>(size));
    head.resize(in.bad() ? 0 : static_cast<std::size_t>(in.gcount()));
    return head;
}

std::string short_name(const std::string& input)
{
    const std::string name = fs::u8path(input).filename().u8string();
    return name.empty() ? input : name;
}

bool write_beside(const std::string& file, const std::string& bytes, std::string& problem)
{
    std::ofstream out(fs::u8path(file), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out)
        return true;
    problem = write_problem(file);
    return false;
}

bool name_too_long(const std::string& file)
{
    const fs::path path = fs::u8path(file);
    return path.u16string().size() > longest_path || path.filename().u16string().size() > 255;
}

std::string write_problem(const std::string& file)
{
    if (name_too_long(file))
        return "Cannot write " + file + ": its name is too long for Windows (" +
               std::to_string(longest_path) + " characters at most, with its folders). Save " +
               "the report under a short name in a folder such as Documents, and drop it " +
               "there again.";
    return "Cannot write " + file + ": the folder may be read-only, or the disk full. Copy " +
           "the report into a folder you can write to, such as Documents, and drop it there " +
           "again.";
}

std::string dropped_message(const DroppedOutcome& outcome, const std::string& note)
{
    std::string message;
    for (std::size_t i = 0; i < outcome.problems.size() && i < max_problems_listed; ++i)
        message += (message.empty() ? "" : "\n") + outcome.problems[i];
    if (outcome.problems.size() > max_problems_listed)
        message += "\n(and " + std::to_string(outcome.problems.size() - max_problems_listed) +
                   " more)";
    if (!note.empty())
        message += (message.empty() ? "" : "\n\n") + note;
    if (outcome.opened.size() > max_opened)
        message += (message.empty() ? "" : "\n\n") + std::to_string(outcome.opened.size()) +
                   " files written, each beside its report: open them from there.";
    return message;
}

int finish_drop(const std::string& title, const DroppedOutcome& outcome, const std::string& note)
{
    const std::string message = dropped_message(outcome, note);
    MessageKind kind = MessageKind::information;
    if (!outcome.problems.empty())
        kind = MessageKind::error;
    else if (!note.empty())
        kind = MessageKind::warning;
    if (!message.empty())
        show_message(title, kind, message);
    bool opened_all = true;
    if (outcome.opened.size() <= max_opened)
        for (const std::string& file : outcome.opened) {
            std::string error;
            if (!open_with_default_program(file, error)) {
                show_message(title, MessageKind::error, error);
                opened_all = false;
            }
        }
    return outcome.problems.empty() && opened_all ? 0 : 1;
}
