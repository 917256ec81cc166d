#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>

namespace {

std::string rule(const std::string& id, const std::string& when, const std::string& rest = "")
{
    return "[[rule]]\nid = '" + id + "'\nseverity = 'error'\nmessage = 'm'\n" + rest +
           "[rule.if]\n" + when + "\n";
}

std::string many_rules(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += rule("r" + std::to_string(i), "windows = '5.1'");
    return text;
}

// Rules of two patterns of a thousand characters, 63 all different, with
// stars between them: 500,000 bytes each to match, so the 66th rule
// (line 522) passes 64 MiB.
std::string costly_rules(int count)
{
    const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyz!#$%&()+,-.;<=>@[]^_`{}~|/:";
    std::string pattern;
    for (std::size_t i = 0; i < 1000; ++i)
        pattern += (i ? "*" : "") + alphabet.substr(i % alphabet.size(), 1);
    std::string text;
    for (int i = 0; i < count; ++i)
        text += rule("r" + std::to_string(i),
                     "release = '" + pattern + "'\n[rule.unless]\nrelease = '" + pattern + "'");
    return text;
}

// A config of "[addon]" and then text (so line 2 is the text's first).
// line 0: it is read; else the error names that line, and holds what.
struct Case {
    const char* name;
    std::string text;
    std::size_t line;
    const char* what;
};

const Case cases[] = {
    {"an unknown key", rule("a", "file = 'x'", "colour = 'red'\n"), 6, "rule \"a\": unknown key \"colour\""},
    {"an unknown condition", rule("a", "fiel = 'x'"), 7, "unknown key \"fiel\" in [rule.if]"},
    {"a severity of another name", "[[rule]]\nid = 'a'\nseverity = 'fatal'\nmessage = 'm'\n[rule.if]\nfile = 'x'\n",
     4, "severity must be"},
    {"a severity in capitals", "[[rule]]\nid = 'a'\nseverity = 'Error'\nmessage = 'm'\n[rule.if]\nfile = 'x'\n",
     4, "severity must be"},
    {"no severity", "[[rule]]\nid = 'a'\nmessage = 'm'\n[rule.if]\nfile = 'x'\n", 2, "no severity"},
    {"an id in capitals", rule("Old-Autopilot", "file = 'x'"), 3, "[[rule]]: id \"Old-Autopilot\""},
    {"an id that would drive the terminal",
     "[[rule]]\nid = \"\\u001b[2J\"\nseverity = 'info'\nmessage = 'm'\n[rule.if]\nfile = 'x'\n", 3,
     "id \"\\x1b[2J\" must be"},
    {"an id ending in a hyphen", rule("old-", "file = 'x'"), 3, "id \"old-\" must be"},
    {"an id of two hyphens", rule("old--autopilot", "file = 'x'"), 3, "must be lower-case"},
    {"no id", "[[rule]]\nseverity = 'error'\nmessage = 'm'\n[rule.if]\nfile = 'x'\n", 2, "[[rule]]: no id"},
    {"a built-in rule's id", rule("server-os", "file = 'x'"), 3, "rule \"server-os\": the id is a built-in"},
    {"the id of the finding that says rules went unchecked", rule("support-rules-unchecked", "file = 'x'"), 3,
     "the id is a built-in"},
    {"an id taken by an earlier rule", rule("a", "file = 'x'") + rule("b", "file = 'x'") + rule("a", "file = 'y'"),
     15, "rule \"a\": an earlier rule has the same id"},
    {"an empty message", "[[rule]]\nid = 'a'\nseverity = 'info'\nmessage = ''\n[rule.if]\nfile = 'x'\n", 5,
     "message must be"},
    {"no message", "[[rule]]\nid = 'a'\nseverity = 'info'\n[rule.if]\nfile = 'x'\n", 2, "no message"},
    {"no [rule.if]", "[[rule]]\nid = 'a'\nseverity = 'info'\nmessage = 'm'\n", 2, "no [rule.if]"},
    {"an empty [rule.if]", rule("a", ""), 6, "[rule.if] holds no condition"},
    {"an empty [rule.unless]", rule("a", "file = 'x'\n[rule.unless]"), 8, "[rule.unless] holds no condition"},
    {"unless not a table", rule("a", "file = 'x'", "unless = 'x'\n"), 6, "rule.unless must be a table"},
    {"md5 without a file", rule("a", "windows = '5.1'\nmd5 = '0123456789abcdef0123456789abcdef'"), 8,
     "md5 needs a file"},
    {"md5 of 31 digits", rule("a", "file = 'x'\nmd5 = '0123456789abcdef0123456789abcde'"), 8,
     "md5 must be 32 hexadecimal digits"},
    {"a pattern that is a number", rule("a", "file = 1"), 7, "file must be a text"},
    {"a pattern that is a table", "[[rule]]\nid = 'a'\nseverity = 'info'\nmessage = 'm'\n[rule.if.file]\nx = 1\n",
     6, "file must be a text"},
    {"a Windows version by name", rule("a", "windows = 'XP'"), 7, "windows \"XP\" can never match"},
    {"a Windows version without its minor", rule("a", "windows = '5.'"), 7, "MAJOR.MINOR"},
    {"a Windows version without its dot", rule("a", "windows = '51'"), 7, "MAJOR.MINOR"},
    {"a Windows version without its major", rule("a", "windows = '.1'"), 7, "MAJOR.MINOR"},
    {"a Windows minor with a leading zero", rule("a", "windows = '10.00'"), 7, "MAJOR.MINOR"},
    {"a Windows major with a leading zero", rule("a", "windows = '06.*'"), 7, "MAJOR.MINOR"},
    {"a Windows version too short for its dot", rule("a", "windows = '5?'"), 7, "MAJOR.MINOR"},
    {"an fsx.cfg line without its section", rule("a", "fsx_cfg = 'TEXTURE_MAX_LOAD=9'"), 7, "SECTION/KEY=VALUE"},
    {"a registry key without its root", rule("a", "registry = 'SOFTWARE\\Vok'"), 7, "HKEY_LOCAL_MACHINE\\"},
    {"a file by its absolute path", rule("a", "file = 'C:\\FSX\\Modules\\x.dll'"), 7, "under the install path"},
    {"a backslash doubled between single quotes", rule("a", "file = 'Modules\\\\x.dll'"), 7,
     "one between two names"},
    {"a file reached through ..", rule("a", "file = 'Vok\\..\\Modules\\x.dll'"), 7, "no . or .."},
    {"a file under .", rule("a", "file = '.\\Modules\\x.dll'"), 7, "no . or .."},
    {"a file with slashes", rule("a", "file = 'Modules/x.dll'"), 7, "with backslashes"},
    {"an assembly with its folder", rule("a", "assembly = 'winsxs\\x86_*'"), 7, "without its path"},
    {"an empty pattern", rule("a", "release = ''"), 7, "it is empty"},
    {"a tab in a file name", rule("a", "file = \"a\\tb\""), 7, "control character"},
    {"a character the report's code page lacks", rule("a", "file = '\xCE\xA9mega.dll'"), 7, "Windows-1252"},
    {"a pattern of 1001 characters", rule("a", "release = '" + std::string(1001, 'x') + "'"), 7,
     "longer than 1000"},
    {"[rule] as a single table", "[rule]\nid = 'a'\n", 2, "rules are written as [[rule]] tables"},
    {"1001 rules", many_rules(1001), 2, "more than 1000 rules"},
    {"66 rules of patterns that take a megabyte to match", costly_rules(66), 522, "more than 64 MiB"},
    {"a header of a hundred thousand dotted keys", "[x]\n[" + [] {
         std::string keys = "k";
         for (int i = 0; i < 100000; ++i)
             keys += ".k";
         return keys;
     }() + "]\n", 3, "more than 100 dots"},
    {"a table header toml++ would stop the program on", "[rule]\nid = 'a'\n[ =]\n", 4,
     "a table header that does not start with a name"},
    {"a character outside ASCII outside quotes", "[rule]\nid = 'a'\n\xCD\x93\n", 4,
     "a character outside ASCII outside quotes"},
    {"[[rules]] for [[rule]]", "[[rules]]\nid = 'a'\n", 2, "unknown key \"rules\" at the top of the file"},
    {"[Addon] beside [addon]", "[Addon]\nname = 'x'\n", 2, "unknown key \"Addon\" at the top"},
    {"a misspelt [addon] key", "name = 'Vok'\nmodul = 'Modules\\x.dll'\n", 3,
     "unknown key \"modul\" in [addon]"},
    // Hostile but sound.
    {"a pattern of stars alone, markup and controls in the message",
     "[[rule]]\nid = 'a'\nseverity = 'info'\nmessage = \"<script>x</script>\\u001b[31m\"\n[rule.if]\nfile = '***'\n",
     0, nullptr},
    {"a pattern of 1000 characters and as many stars",
     rule("a", "release = '" + std::string(1000, '*') + std::string(1000, '?') + "'"), 0, nullptr},
    {"1000 rules", many_rules(1000), 0, nullptr},
    {"65 rules of patterns that take a megabyte to match", costly_rules(65), 0, nullptr},
    {"names that start with dots", rule("a", "file = 'Vok\\..cfg\\.*'"), 0, nullptr},
    {"a line feed in a registry value's pattern", rule("a", "registry = \"HKEY_USERS\\\\*=one\\ntwo\""), 0,
     nullptr},
    {"a ? or a * for the Windows version's dot", rule("a", "windows = '6?1'") + rule("b", "windows = '6*'"), 0,
     nullptr},
    {"a Windows version with zeros that are no leading ones",
     rule("a", "windows = '10.0'") + rule("b", "windows = '5.10'"), 0, nullptr},
    {"dots and brackets inside strings and comments",
     "[[rule]]\nid = 'a'\nseverity = 'info'\nmessage = '" + std::string(300, '.') +
         "[{'\n# " + std::string(300, '[') + "\n[rule.if]\ndll_xml = \"\\\"" + std::string(300, '.') +
         "\"\nrelease = \"\"\"\n" + std::string(300, '.') + "\"\"\"\n",
     0, nullptr},
};

void expect_read_or_refused(const Case& c, const std::string& config_text)
{
    SCOPED_TRACE(c.name);
    Config config;
    std::string error;
    const bool loaded = load_config_text(config_text, config, error);
    EXPECT_EQ(loaded, c.line == 0) << error;
    if (loaded) {
        EXPECT_FALSE(config.rules.list.empty());
        return;
    }
    const std::string at = "ravelo-inspect.toml:" + std::to_string(c.line) + ": ";
    EXPECT_NE(error.find(at), std::string::npos) << error;
    EXPECT_NE(error.find(c.what), std::string::npos) << error;
    EXPECT_TRUE(config.rules.list.empty());
}

TEST(RuleFile, RefusedWithTheLineAndTheRule)
{
    for (const Case& c : cases)
        expect_read_or_refused(c, "[addon]\n" + c.text);
}

// Whole files: what comes before [addon] counts.
TEST(RuleFile, ByteOrderMarks)
{
    const std::string body = "[addon]\n" + rule("a", "windows = '5.1'");
    const Case marks[] = {
        {"UTF-8 as Notepad saves it", "\xEF\xBB\xBF" + body, 0, nullptr},
        {"UTF-16 LE", std::string("\xFF\xFE[\0a\0", 6), 1, "the file is UTF-16"},
        {"UTF-16 BE", std::string("\xFE\xFF\0[\0a", 6), 1, "the file is UTF-16"},
        {"a UTF-8 mark not at the start", body + "\xEF\xBB\xBF\n", 8, "outside ASCII"},
    };
    for (const Case& c : marks)
        expect_read_or_refused(c, c.text);
}

} // namespace
