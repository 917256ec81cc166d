#include "desk/redaction.h"
#include "output/display_text.h"
#include "rules/helpers.h"
#include "tests/inspect/inspect_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Edit {
    std::string from, to;
};

std::string edited(std::string text, const std::vector<Edit>& edits)
{
    for (const Edit& edit : edits) {
        const std::size_t at = text.find(edit.from);
        EXPECT_NE(at, std::string::npos) << edit.from;
        if (at != std::string::npos)
            text.replace(at, edit.from.size(), edit.to);
    }
    return text;
}

std::string utf16le(const std::string& ascii_or_utf8)
{
    std::string out;
    for (std::size_t i = 0; i < ascii_or_utf8.size(); ++i) {
        unsigned char c = ascii_or_utf8[i];
        unsigned code = c;
        if (c >= 0xC0 && i + 1 < ascii_or_utf8.size())
            code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(ascii_or_utf8[++i]) & 0x3F);
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>(code >> 8);
    }
    return out;
}

// The text in every encoding a report may hold it in, each case-folded as
// Windows compares names.
std::vector<std::string> encodings(const std::string& ansi)
{
    return {folded(ansi), folded(to_utf8(ansi)), folded(utf16le(to_utf8(ansi)))};
}

std::size_t line_count(const std::string& text)
{
    return std::count(text.begin(), text.end(), '\n');
}

const std::string app_data = "C:\\Users\\Ada\\AppData\\Roaming";
const std::string hkcu_value = "\t-> AppPath \tC:\\FSX\\\n\n";
const std::string main_section = "[Main]\n";
const std::string readme = ". readme.txt \t2d23f2fdd0899db069f1f3fa28cd97bd\n";

struct Case {
    const char* name;
    std::vector<Edit> edits;
    std::vector<std::string> secrets;  // none may be left, in any encoding
    std::vector<std::string> kept;     // must be left as they were
};

TEST(Redaction, LeavesNoTraceOfThePersonalDataAndKeepsTheReport)
{
    const std::string jose = "Jos\xE9 M\xFCller";  // Windows-1252
    const Case cases[] = {
        {"the fixture as it is", {}, {"Ada Lovelace", "ada@example.com", "ada_flies",
                                      "fuel gauge of the Vok panel", "\\Ada\\"},
         {"C:\\FSX\\", "2d23f2fdd0899db069f1f3fa28cd97bd"}},
        {"a user name with a space and letters outside ASCII, in registry data, a file name, "
         "a UTF-8 dll.xml and UTF-16 text",
         {{app_data, "C:\\Users\\" + jose + "\\AppData\\Roaming"},
          {hkcu_value, "\t-> AppPath \tC:\\FSX\\\n\t-> LastUser \tjos\xE9 m\xFCller\n\n"},
          {readme, readme + ". " + jose + " livery.bmp \t0123456789abcdef0123456789abcdef\n"},
          {"<Name>Vok Panel</Name>", "<Name>" + to_utf8(jose) + "'s panel</Name>"},
          {main_section, main_section + "Pilot=" + utf16le(to_utf8(jose)) + "\n"}},
         {jose},
         {"LastUser", "livery.bmp", "'s panel"}},
        {"the old profile folder, and the customer's data elsewhere in the report",
         {{app_data, "C:\\Documents and Settings\\Ada Byron\\Application Data"},
          {main_section, main_section + "Owner=Ada Lovelace <ADA@EXAMPLE.COM>\n"},
          {hkcu_value, "\t-> AppPath \tC:\\Documents and Settings\\ADA BYRON\\FSX\\\n\n"}},
         {"Ada Byron", "Ada Lovelace", "ada@example.com"},
         {"Owner="}},
        {"a profile NAME.DOMAIN gives NAME too",
         {{app_data, "C:\\Users\\Ada.LAPTOP7\\AppData\\Roaming"},
          {main_section, main_section + "LastPilot=AdaKing\n"}},
         {"Ada.LAPTOP7"},
         {"LastPilot="}},
        {"a short user name is replaced as a whole word only",
         {{app_data, "C:\\Users\\Al\\AppData\\Roaming"},
          {main_section, main_section + "Alt=1\nPilot=Al\n"}},
         {"\\Al\\", "=Al\n"},
         {"Alt=1"}},
        {"a user name that is hex digits leaves the digests alone",
         {{app_data, "C:\\Users\\bea\\AppData\\Roaming"},
          {readme, ". readme.txt \t2d23f2fdd0899db069f1f3fa28cbea0d\n"}},
         {"\\bea\\"},
         {"2d23f2fdd0899db069f1f3fa28cbea0d"}},
        {"shared profiles name nobody",
         {{app_data, "C:\\Users\\Public\\AppData\\Roaming"}},
         {},
         {"C:\\Users\\Public\\AppData"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string original = edited(fixture_report("clean.txt"), c.edits);
        const std::string redacted = redacted_report(original, find_personal_data(original));
        const std::string searched = folded(redacted);
        for (const std::string& secret : c.secrets)
            for (const std::string& encoded : encodings(secret))
                EXPECT_EQ(searched.find(encoded), std::string::npos) << printable(secret);
        for (const std::string& kept : c.kept)
            EXPECT_NE(redacted.find(kept), std::string::npos) << printable(kept);
        EXPECT_EQ(line_count(redacted), line_count(original));
        const Inspection before = inspect_text("r", original);
        const Inspection after = inspect_text("r", redacted);
        EXPECT_EQ(rules_found(after), rules_found(before));
        EXPECT_EQ(after.report.damage.size(), before.report.damage.size());
    }
}

// A report cut inside its basic information: the parser reads less of the
// description than the customer wrote, but every line of it goes.
TEST(Redaction, TheWholeDescriptionOfADamagedReport)
{
    const std::string clean = fixture_report("clean.txt");
    const std::string last_words = "It started after the last update.";
    const std::string original = clean.substr(0, clean.find(last_words) + last_words.size());
    const std::string redacted = redacted_report(original, find_personal_data(original));
    for (const char* secret : {"Ada Lovelace", "fuel gauge", "It started"})
        EXPECT_EQ(redacted.find(secret), std::string::npos) << secret;
}

TEST(Redaction, TheInspectionsSourceLosesTheNamesToo)
{
    const Inspection inspection =
        inspect_bytes("reports/Ada Lovelace.dat", fixture_report("clean.txt"), fixture_config(),
                      true);
    EXPECT_EQ(inspection.source, "reports/[name].dat");
    EXPECT_EQ(inspection.report.customer.name, redacted_name_text);
}

} // namespace

namespace {

TEST(Redaction, AReportOfManyProfilesCannotSlowTheSearchWithoutBound)
{
    std::string text = fixture_report("clean.txt");
    const std::string main_section = "[Main]\n";
    std::string paths;
    for (int i = 0; i < 20000; ++i)
        paths += "Recent" + std::to_string(i) + "=C:\\Users\\user" + std::to_string(i) + "\\x\n";
    text.insert(text.find(main_section) + main_section.size(), paths);
    EXPECT_EQ(profile_user_names(text).size(), 8u);
    const std::string redacted = redacted_report(text, find_personal_data(text));
    EXPECT_EQ(std::count(redacted.begin(), redacted.end(), '\n'),
              std::count(text.begin(), text.end(), '\n'));
}

} // namespace
