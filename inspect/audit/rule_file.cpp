#include "audit/rule_file.h"

#include "output/display_text.h"
#include "report/config_files.h"
#include "report/text_encoding.h"
#include "rules/rules.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace {

const std::size_t max_id_length = 64;

// Where a refusal points: the file, the rule's id once known, and the
// line of the rule's own table for what has no line of its own.
struct RuleSite {
    const std::string& path;
    std::string id;
    std::size_t line;
};

std::size_t line_of(const toml::node& node, const RuleSite& site)
{
    const std::size_t line = node.source().begin.line;
    return line ? line : site.line;
}

bool refuse(const RuleSite& site, std::size_t line, const std::string& why, std::string& error)
{
    error = site.path + ":" + std::to_string(line) + ": " +
            (site.id.empty() ? std::string("[[rule]]") : "rule \"" + site.id + "\"") + ": " + why;
    return false;
}

bool is_rule_id(std::string_view id)
{
    if (id.empty() || id.size() > max_id_length || id.front() == '-' || id.back() == '-' ||
        id.find("--") != std::string_view::npos)
        return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

bool is_built_in(std::string_view id)
{
    if (id == support_rules_unchecked)
        return true;
    for (const Rule& rule : rule_table())
        if (id == rule.id)
            return true;
    return false;
}

// The pattern in the report's code page, unless it holds a character the
// code page lacks: made '?', it would match any character.
bool exact_ansi(std::string_view utf8, std::string& ansi)
{
    if (!ansi_from_utf8(utf8, ansi))
        return false;
    std::string back;
    for (const char c : ansi)
        append_utf8(back, windows_1252_code_point(static_cast<unsigned char>(c)));
    return back == utf8;
}

bool has_control(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Some text starting with start fits the pattern.
bool could_start_with(std::string_view pattern, std::string_view start)
{
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (i == pattern.size())
            return false;
        if (pattern[i] == '*')
            return true;
        if (pattern[i] != '?' && fold_case(pattern[i]) != fold_case(start[i]))
            return false;
    }
    return true;
}

// A folder level no listed path has: an empty one (a backslash doubled,
// as between single quotes it is so easily), "." or "..".
bool has_unlisted_level(std::string_view pattern)
{
    for (std::size_t start = 0, end; start <= pattern.size(); start = end + 1) {
        end = std::min(pattern.find('\\', start), pattern.size());
        const std::string_view level = pattern.substr(start, end - start);
        if (level.empty() || level == "." || level == "..")
            return true;
    }
    return false;
}

// Some MAJOR.MINOR fits the pattern: a literal dot needs digits on both
// sides; without one, a '*' or an inner '?' stands for it.
bool could_be_version(std::string_view pattern)
{
    if (pattern.find_first_not_of("0123456789.*?") != std::string_view::npos ||
        std::count(pattern.begin(), pattern.end(), '.') > 1)
        return false;
    // The report's numbers have no leading zero: "10.00" or "06.1" never come.
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == '0' && (i == 0 || pattern[i - 1] == '.') &&
            std::isdigit(static_cast<unsigned char>(pattern[i + 1])))
            return false;
    const std::size_t dot = pattern.find('.');
    if (dot != std::string_view::npos)
        return dot > 0 && dot + 1 < pattern.size();
    if (pattern.find('*') != std::string_view::npos)
        return true;
    return pattern.size() > 2 &&
           pattern.substr(1, pattern.size() - 2).find('?') != std::string_view::npos;
}

// Why no item of the kind in a report could match the pattern, or "".
std::string shape_fault(ConditionKind kind, std::string_view pattern)
{
    if (pattern.empty())
        return "it is empty";
    if (kind != ConditionKind::registry && has_control(pattern))
        return "it holds a control character";
    switch (kind) {
    case ConditionKind::file:
        if (pattern.find_first_of(":/\"<>|") != std::string_view::npos ||
            has_unlisted_level(pattern))
            return "a file is named by its path under the install path or the side-by-side "
                   "folder, with backslashes (one between two names) and no . or .. (such as "
                   "Modules\\OldAutopilot.dll)";
        break;
    case ConditionKind::fsx_cfg:
        if (pattern.find_first_of("/*?") == std::string_view::npos)
            return "a line of fsx.cfg is matched as SECTION/KEY=VALUE";
        break;
    case ConditionKind::registry:
        for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\", "HKEY_USERS\\"})
            if (could_start_with(pattern, root))
                return "";
        return "a key path starts with HKEY_LOCAL_MACHINE\\, HKEY_CURRENT_USER\\ or HKEY_USERS\\";
    case ConditionKind::windows:
        if (!could_be_version(pattern))
            return "the Windows version is matched as MAJOR.MINOR (such as 5.1)";
        break;
    case ConditionKind::assembly:
        if (pattern.find_first_of("\\:/\"<>|") != std::string_view::npos)
            return "a side-by-side folder is named without its path";
        break;
    default: break;
    }
    return "";
}

bool kind_named(std::string_view name, ConditionKind& kind)
{
    for (const ConditionKind candidate : condition_kinds)
        if (name == condition_name(candidate)) {
            kind = candidate;
            return true;
        }
    return false;
}

bool read_pattern(const toml::node& node, const std::string& key, const RuleSite& site,
                  std::string& pattern, std::string& error)
{
    const toml::value<std::string>* text = node.as_string();
    if (!text)
        return refuse(site, line_of(node, site), key + " must be a text", error);
    if (!exact_ansi(text->get(), pattern))
        return refuse(site, line_of(node, site),
                      key + " holds a character that Windows-1252, the report's code page, "
                            "lacks: it could never match",
                      error);
    if (wildcard_length(pattern) > Wildcard::max_length)
        return refuse(site, line_of(node, site),
                      key + " is longer than " + std::to_string(Wildcard::max_length) +
                          " characters",
                      error);
    return true;
}

bool read_md5(const toml::node& node, const RuleSite& site, std::string& md5, std::string& error)
{
    const toml::value<std::string>* text = node.as_string();
    const bool hex = text && text->get().size() == 32 &&
                     text->get().find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    if (!hex)
        return refuse(site, line_of(node, site), "md5 must be 32 hexadecimal digits", error);
    md5 = folded_text(text->get());
    return true;
}

bool read_condition(const std::string& key, const toml::node& node, const std::string& table_name,
                    const RuleSite& site, std::vector<Condition>& conditions, std::string& error)
{
    ConditionKind kind;
    if (!kind_named(key, kind))
        return refuse(site, line_of(node, site),
                      "unknown key \"" + printable_utf8(key) + "\" in [" + table_name +
                          "] (it holds file, md5, dll_xml, fsx_cfg, registry, windows, "
                          "assembly, release)",
                      error);
    std::string pattern;
    if (!read_pattern(node, key, site, pattern, error))
        return false;
    const std::string fault = shape_fault(kind, pattern);
    if (!fault.empty())
        return refuse(site, line_of(node, site),
                      key + " \"" + printable_utf8(node.as_string()->get()) +
                          "\" can never match: " + fault,
                      error);
    conditions.push_back(Condition{kind, compile_wildcard(pattern), std::nullopt});
    return true;
}

// [rule.if] or [rule.unless]: at least one condition, md5 only beside a
// file; conditions in a fixed order, so that evidence is listed alike
// whatever the order they were written in.
bool read_conditions(const toml::node& node, const std::string& table_name, const RuleSite& site,
                     std::vector<Condition>& conditions, std::string& error)
{
    const toml::table* table = node.as_table();
    if (!table)
        return refuse(site, line_of(node, site), table_name + " must be a table", error);
    for (const auto& [key, value] : *table)
        if (key.str() != "md5" &&
            !read_condition(std::string(key.str()), value, table_name, site, conditions, error))
            return false;
    if (const toml::node* md5 = table->get("md5")) {
        auto file = std::find_if(conditions.begin(), conditions.end(), [](const Condition& c) {
            return c.kind == ConditionKind::file;
        });
        if (file == conditions.end())
            return refuse(site, line_of(*md5, site), "md5 needs a file beside it", error);
        file->md5.emplace();
        if (!read_md5(*md5, site, *file->md5, error))
            return false;
    }
    if (conditions.empty())
        return refuse(site, line_of(node, site), "[" + table_name + "] holds no condition", error);
    std::sort(conditions.begin(), conditions.end(),
              [](const Condition& a, const Condition& b) { return a.kind < b.kind; });
    return true;
}

bool read_id(const toml::table& table, RuleSite& site, const std::set<std::string>& taken,
             std::string& error)
{
    const toml::node* node = table.get("id");
    if (!node)
        return refuse(site, site.line, "no id", error);
    const toml::value<std::string>* id = node->as_string();
    if (!id)
        return refuse(site, line_of(*node, site), "id must be a text", error);
    if (!is_rule_id(id->get()))
        return refuse(site, line_of(*node, site),
                      "id \"" + printable_utf8(id->get()) +
                          "\" must be lower-case letters, digits and single "
                      "hyphens between them, at most " + std::to_string(max_id_length) +
                          " characters",
                      error);
    site.id = id->get();
    if (is_built_in(site.id))
        return refuse(site, line_of(*node, site), "the id is a built-in rule's", error);
    if (taken.count(site.id))
        return refuse(site, line_of(*node, site), "an earlier rule has the same id", error);
    return true;
}

bool read_severity(const toml::node* node, const RuleSite& site, Severity& severity,
                   std::string& error)
{
    if (!node)
        return refuse(site, site.line, "no severity", error);
    const toml::value<std::string>* text = node->as_string();
    for (const Severity candidate : {Severity::error, Severity::warning, Severity::info})
        if (text && text->get() == severity_name(candidate)) {
            severity = candidate;
            return true;
        }
    return refuse(site, line_of(*node, site),
                  "severity must be \"error\", \"warning\" or \"info\"", error);
}

bool read_message(const toml::node* node, const RuleSite& site, std::string& message,
                  std::string& error)
{
    if (!node)
        return refuse(site, site.line, "no message", error);
    const toml::value<std::string>* text = node->as_string();
    if (!text || text->get().empty())
        return refuse(site, line_of(*node, site), "message must be a text that is not empty",
                      error);
    message = ansi_from_maker_text(text->get());
    return true;
}

bool read_rule(const toml::table& table, RuleSite& site, const std::set<std::string>& taken,
               SupportRule& rule, std::string& error)
{
    if (!read_id(table, site, taken, error))
        return false;
    rule.id = site.id;
    for (const auto& [key, value] : table)
        if (key.str() != "id" && key.str() != "severity" && key.str() != "message" &&
            key.str() != "if" && key.str() != "unless")
            return refuse(site, line_of(value, site),
                          "unknown key \"" + printable_utf8(key.str()) +
                              "\" (a rule holds id, severity, message, if and unless)",
                          error);
    if (!read_severity(table.get("severity"), site, rule.severity, error) ||
        !read_message(table.get("message"), site, rule.message, error))
        return false;
    const toml::node* when = table.get("if");
    if (!when)
        return refuse(site, site.line, "no [rule.if] conditions", error);
    if (!read_conditions(*when, "rule.if", site, rule.when, error))
        return false;
    const toml::node* unless = table.get("unless");
    return !unless || read_conditions(*unless, "rule.unless", site, rule.unless, error);
}

std::size_t pattern_bytes(const SupportRule& rule)
{
    std::size_t bytes = 0;
    for (const std::vector<Condition>* conditions : {&rule.when, &rule.unless})
        for (const Condition& condition : *conditions)
            bytes += condition.pattern.masks.size() * sizeof(std::uint64_t);
    return bytes;
}

} // namespace

bool read_support_rules(const toml::table& document, const std::string& path,
                        SupportRules& rules, std::string& error)
{
    const toml::node* node = document.get("rule");
    if (!node)
        return true;
    const std::string at = path + ":" + std::to_string(node->source().begin.line) + ": ";
    const toml::array* tables = node->as_array();
    if (!tables || !tables->is_array_of_tables()) {
        error = at + "rules are written as [[rule]] tables";
        return false;
    }
    if (tables->size() > max_support_rules) {
        error = at + "more than " + std::to_string(max_support_rules) + " rules";
        return false;
    }
    std::set<std::string> taken;
    SupportRules read;
    std::size_t bytes = 0;
    for (const toml::node& item : *tables) {
        RuleSite site{path, "", item.source().begin.line};
        SupportRule rule;
        if (!read_rule(*item.as_table(), site, taken, rule, error))
            return false;
        bytes += pattern_bytes(rule);
        if (bytes > max_pattern_bytes)
            return refuse(site, site.line,
                          "the patterns up to this rule would take more than " +
                              std::to_string(max_pattern_bytes >> 20) +
                              " MiB to match: write fewer stars between characters, or fewer "
                              "such rules",
                          error);
        taken.insert(rule.id);
        read.list.push_back(std::move(rule));
    }
    index_support_rules(read);
    rules = std::move(read);
    return true;
}
