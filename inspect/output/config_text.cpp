#include "output/outputs.h"

#include "output/display_text.h"

namespace {

const char* origin_text(ConfigOrigin origin)
{
    switch (origin) {
    case ConfigOrigin::given: return "given with --config";
    case ConfigOrigin::beside_program: return "beside the program";
    case ConfigOrigin::per_user: return "your own";
    default: return "";
    }
}

} // namespace

std::vector<std::string> config_lines(const ConfigChoice& choice)
{
    if (choice.origin != ConfigOrigin::none)
        return {printable_utf8(choice.file) + " (" + origin_text(choice.origin) + ")"};
    std::vector<std::string> lines{"none found: the checks that need one are skipped"};
    for (const auto& [file, origin] : choice.looked_for)
        lines.push_back(std::string(lines.size() == 1 ? "looked for " : "and ") +
                        printable_utf8(file) + " (" + origin_text(origin) + ")");
    return lines;
}

void write_config_lines(const ConfigChoice& choice, std::ostream& out)
{
    const std::vector<std::string> lines = config_lines(choice);
    for (std::size_t i = 0; i < lines.size(); ++i)
        out << (i == 0 ? "Config    " : "          ") << lines[i] << '\n';
    out << '\n';
}
