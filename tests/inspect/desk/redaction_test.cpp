#include "desk/diff.h"
#include "desk/redaction.h"
#include "desk/word_matcher.h"
#include "output/display_text.h"
#include "output/outputs.h"
#include "output/overview.h"
#include "rules/helpers.h"
#include "tests/inspect/inspect_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

std::string utf16(const std::string& ascii_or_utf8, bool big_endian = false)
{
    std::string out;
    for (std::size_t i = 0; i < ascii_or_utf8.size(); ++i) {
        unsigned char c = ascii_or_utf8[i];
        unsigned code = c;
        if (c >= 0xC0 && i + 1 < ascii_or_utf8.size())
            code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(ascii_or_utf8[++i]) & 0x3F);
        out += static_cast<char>(big_endian ? code >> 8 : code & 0xFF);
        out += static_cast<char>(big_endian ? code & 0xFF : code >> 8);
    }
    return out;
}

// The report's dll.xml copy saved as Unicode, as Windows editors do.
std::string with_utf16_dll_xml(const std::string& report)
{
    const std::size_t begin = report.find("<?xml");
    const std::size_t end = report.find("</SimBase.Document>\n") + 20;
    std::string xml = report.substr(begin, end - begin);
    xml.replace(xml.find("Windows-1252"), 12, "UTF-16");
    std::string crlf;
    for (char c : xml)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return report.substr(0, begin) + "\xFF\xFE" + utf16(to_utf8(crlf)) + report.substr(end);
}

// The character at pos of a text in the given form: a byte, or a UTF-16
// unit of either order.
unsigned unit_at(const std::string& text, std::size_t pos, int form)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (form < 2)
        return byte(pos);
    return form == 2 ? byte(pos) | byte(pos + 1) << 8 : byte(pos) << 8 | byte(pos + 1);
}

// The text as an XML reader shows it: "&#74;" and "&#x4A;" are J.
std::string references_read(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hex = text.compare(i, 3, "&#x") == 0;
        const std::size_t digits = i + (hex ? 3 : 2), end = text.find(';', digits);
        if (text.compare(i, 2, "&#") != 0 || end == std::string::npos || end == digits ||
            end - digits > 6 ||
            text.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789", digits) != end) {
            out += text[i];
            continue;
        }
        const std::string number = text.substr(digits, end - digits);
        out += static_cast<char>(std::stoul(number, nullptr, hex ? 16 : 10));
        i = end;
    }
    return out;
}

// The text as a browser reads a URL: "Ada%20Lovelace" is Ada Lovelace.
std::string url_read(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto hex = [&](std::size_t k) {
            return k < text.size() && std::isxdigit(static_cast<unsigned char>(text[k]));
        };
        if (text[i] == '%' && hex(i + 1) && hex(i + 2)) {
            out += static_cast<char>(std::stoul(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Whether text holds the secret as whole words, in any case, as the
// report's bytes, UTF-8 or UTF-16 of either order, also as JSON writes a
// backslash, as XML reads a character reference and a browser a URL.
bool holds(const std::string& text, const std::string& secret)
{
    for (const auto read_as : {references_read, url_read}) {
        const std::string read = read_as(text);
        if (read != text && holds(read, secret))
            return true;
    }
    const std::string haystack = folded(text);
    const std::string forms[] = {folded(secret), folded(to_utf8(secret)),
                                 folded(utf16(to_utf8(secret))),
                                 folded(utf16(to_utf8(secret), true))};
    for (int k = 0; k < 6; ++k) {
        std::string form = forms[k % 4];
        if (k >= 4) {
            std::string json;
            for (char c : form)
                json += c == '\\' ? std::string("\\\\") : std::string(1, c);
            form = json;
        }
        const std::size_t width = k == 2 || k == 3 ? 2 : 1;
        // UTF-16 read from bytes of other text gives units of no script
        // beside Latin: they part words, as redaction reads them; so do
        // quotes, dashes and the no-break space.
        const auto is_word = [](unsigned c) {
            const bool punctuation =
                (c >= 0x2013 && c <= 0x201E) ||
                (c < 0x100 && std::string_view("\x84\x91\x92\x93\x94\x96\x97\xA0\xAB\xBB")
                                      .find(static_cast<char>(c)) != std::string_view::npos);
            return !punctuation && (c < 0x100 ? is_word_byte(c) : c < 0x250);
        };
        for (std::size_t at = haystack.find(form); at != std::string::npos;
             at = haystack.find(form, at + 1)) {
            const std::size_t end = at + form.size();
            const bool word_before = at >= width && is_word(unit_at(haystack, at - width, k % 4));
            const bool word_after =
                end + width <= haystack.size() && is_word(unit_at(haystack, end, k % 4));
            if (!word_before && !word_after)
                return true;
        }
    }
    return false;
}

// What a support engineer diagnoses from: each finding's rule, severity
// and evidence lines.
std::vector<std::string> diagnosis(const Inspection& inspection)
{
    std::vector<std::string> found;
    for (const Finding& finding : inspection.findings) {
        std::string key = finding.rule + " " + severity_name(finding.severity);
        for (const Evidence& evidence : finding.evidence)
            key += " " + std::to_string(evidence.line);
        found.push_back(key);
    }
    return found;
}

std::vector<std::string> diagnosis(const ReportDiff& diff)
{
    std::vector<std::string> lists;
    for (const auto* list : {&diff.fixed, &diff.found, &diff.still})
        for (const Finding* finding : *list)
            lists.push_back(std::to_string(lists.size()) + finding->rule);
    return lists;
}

// Every output of the inspector for one inspection.
std::vector<std::string> outputs_of(const Inspection& inspection)
{
    std::ostringstream text, json, page, row, row_json, index;
    write_text(inspection, text);
    write_json(inspection, json);
    write_html(inspection, page);
    write_summary_row(inspection, row);
    write_summary_json(inspection, row_json);
    write_overview({overview_row(inspection, page_name(0, inspection.source))}, index);
    return {text.str(), json.str(), page.str(), row.str(), row_json.str(), index.str()};
}

const std::string app_data = "C:\\Users\\Ada\\AppData\\Roaming";

Edit app(const std::string& path)
{
    return {app_data, path};
}

Edit hkcu(const std::string& values)
{
    return {"\t-> AppPath \tC:\\FSX\\\n\n", "\t-> AppPath \tC:\\FSX\\\n" + values + "\n"};
}

Edit fsx(const std::string& lines)
{
    return {"[Main]\n", "[Main]\n" + lines};
}

// The report with the secrets in values of its own, and (a second report
// of the same customer) without the customer's fields but an e-mail: the
// data of either report must find what the other holds.
std::string second_report(std::string text, const std::vector<std::string>& secrets,
                          bool second, const std::string& email = "")
{
    std::string values;
    for (std::size_t k = 0; k < secrets.size(); ++k)
        values += "\t-> Secret" + std::to_string(k) + " \tC:\\" + secrets[k] + "\n";
    const std::string key = "HKEY_CURRENT_USER\\Software\\Microsoft\\Microsoft Games\\Flight "
                            "Simulator\\10.0\n";
    text = edited(text, {{key, key + values}});
    for (const char* label : {"Name:                ", "e-mail:              ",
                              "Forum name:          "}) {
        const std::size_t at = text.find(std::string("\n") + label);
        if (second && at != std::string::npos)
            text.erase(at + 22, text.find('\n', at + 1) - at - 22);
    }
    return second ? edited(text, {{"\ne-mail:              ", "\ne-mail:              " + email}})
                  : text;
}

// Findings each row must keep: an untrusted module, a modified file, an
// entry whose module is missing.
const std::vector<Edit> faults = {
    {"lnbz=1", "lnbz=-1"},
    {"96a75bdbf222c58cabde08ebe2172c9f", "96a75bdbf222c58cabde08ebe2172c9e"},
    {"  </Launch.Addon>\n</SimBase.Document>",
     "  </Launch.Addon>\n  <Launch.Addon>\n    <Name>Extra</Name>\n"
     "    <Path>Modules\\Missing.dll</Path>\n  </Launch.Addon>\n</SimBase.Document>"}};

struct Case {
    const char* name;
    std::vector<Edit> edits;
    std::vector<std::string> secrets;  // none may be left in any output
    std::vector<std::string> kept;     // the redacted report's own words that stay
    bool utf16_dll_xml = false;
};

TEST(Redaction, HostileCustomerDataLeavesNoTraceAndTheSameFindings)
{
    const std::string jose = "Jos\xE9 M\xFCller";  // Windows-1252
    const std::string nine_shares = [] {
        std::string lines = "[Shares]\n";
        for (char k = '0'; k <= '8'; ++k)
            lines += std::string("Path") + k + "=\\\\nas\\users\\share" + k + "\\fsx\n";
        return lines;
    }();
    const Case cases[] = {
        {"the report as the customer sent it", {},
         {"Ada Lovelace", "ada@example.com", "ada_flies",
          "The fuel gauge of the Vok panel stays dark", "It started after the last update",
          "Users\\Ada"},
         {"C:\\FSX\\", "2d23f2fdd0899db069f1f3fa28cd97bd"}},
        {"a user named as a label word, Path",
         {app("C:\\Users\\Path\\AppData\\Roaming"), hkcu("\t-> Docs \tC:\\Users\\Path\\Documents\n")},
         {"Users\\Path"},
         {"<Path>Modules\\VokPanel.dll</Path>", "App data path:", "FSX path:"}},
        {"a user named File", {app("C:\\Users\\File\\AppData\\Roaming")}, {"Users\\File"},
         {"The file begins below the line", "<Filename>dll.xml</Filename>"}},
        {"a user named as a registry root", {app("C:\\Users\\HKEY_USERS\\AppData\\Roaming")},
         {"Users\\HKEY_USERS"}, {"HKEY_USERS\\S-1-5-21"}},
        {"a user NAME.DOMAIN named as dll.xml's elements",
         {app("C:\\Users\\Launch.Addon\\AppData\\Roaming")}, {"Users\\Launch.Addon"},
         {"<Launch.Addon>", "<Launch.ManualLoad>"}},
        {"a user of one letter, C, in the report's bytes and in UTF-16",
         {app("C:\\Users\\C\\AppData\\Roaming"),
          fsx("Pilot=C\nDocs=" + utf16("C:\\Users\\C\\x") + "\n")},
         {"Users\\C", "Pilot=C"},
         {"FSX path:            C:\\FSX\\", "C:\\FSX\\Modules\\VokPanel.dll",
          "Docs=" + utf16("C:\\Users\\[user]\\x")}},
        {"a user named Sim", {app("C:\\Users\\Sim\\AppData\\Roaming"), fsx("Pilot=Sim\n")},
         {"Users\\Sim", "Pilot=Sim"}, {"SimConnect.dll", "SimObjectPaths", "SimBase.Document"}},
        {"a user named User", {app("C:\\Users\\User\\AppData\\Roaming")},
         {"Users\\User", "User Objects"}, {"HKEY_CURRENT_USER\\Software"}},
        {"a user named Trusted", {app("C:\\Users\\Trusted\\AppData\\Roaming")},
         {"Users\\Trusted"}, {"[Trusted]"}},
        {"a user named as a SimConnect version the listing holds",
         {app("C:\\Users\\60905\\AppData\\Roaming"),
          {"Side-by-side libraries list   : \n",
           "Side-by-side libraries list   : \nO C:\\Windows\\winsxs\\x86_microsoft."
           "flightsimulator.simconnect_67c7c14424d61b5b_10.0.60905.0_x-ww_5d3d7b7e\\\n"
           "\t. SimConnect.dll \td41b45cfb993c8e96c23c57d41fb3fa1\n"}},
         {"Users\\60905"}, {"simconnect_67c7c14424d61b5b_10.0.60905.0_x-ww"}},
        {"two users' paths stay two: the install path in one, the module's trust in another "
         "named as the customer",
         {{"Ada Lovelace", "Bob Lovelace"},
          {"FSX path:            C:\\FSX\\", "FSX path:            C:\\Users\\Ada\\FSX\\"},
          {"C:\\FSX\\Modules\\VokPanel.dll.", "C:\\Users\\Bob\\FSX\\Modules\\VokPanel.dll."}},
         {"Users\\Ada", "Users\\Bob"}, {"C:\\Users\\[user 2]\\FSX\\Modules"}},
        {"a user named as the add-on", {app("C:\\Users\\Vok\\AppData\\Roaming")},
         {"Users\\Vok"}, {". Vok.cfg", "<Name>Vok Panel</Name>"}},
        {"a user named amp, and an entity of dll.xml",
         {app("C:\\Users\\amp\\AppData\\Roaming"),
          {"<Name>Vok Panel</Name>", "<Name>Vok &amp; amp Panel</Name>"}},
         {"Users\\amp", "amp Panel"}, {"Vok &amp; "}},
        {"a customer named Tim beside altimeter.dds",
         {{"Ada Lovelace", "Tim"}, {"O Gauges\n", "O Gauges\n\t. altimeter.dds \t0123456789abcdef0123456789abcdef\n"},
          hkcu("\t-> Pilot \tTim\n")},
         {"Tim"}, {"altimeter.dds"}},
        {"a customer named by the release's files",
         {{"Ada Lovelace", "Fuel Manual"}}, {}, {". fuel.bmp", ". Vok manual.pdf"}},
        {"a German XP profile root, a name outside ASCII in two cases",
         {app("C:\\Dokumente und Einstellungen\\J\xFCrgen\\Anwendungsdaten"),
          hkcu("\t-> PanelFolder \tC:\\Dokumente und Einstellungen\\J\xFCrgen\\Eigene Dateien\\Vok\n"),
          fsx("Pilot=J\xDCRGEN\n")},
         {"J\xFCrgen"}, {"Dokumente und Einstellungen"}},
        {"a Spanish XP's redirected profile root, and another profile under it",
         {app("E:\\Perfiles\\Mar\xED" "a\\Datos de programa"),
          hkcu("\t-> Shared \tE:\\Perfiles\\Kiran\\Mis documentos\n")},
         {"Mar\xED" "a", "Kiran"}, {"Datos de programa"}},
        {"profiles under names Explorer shows for Users at a drive's root, an add-on's folder "
         "of such a name elsewhere",
         {hkcu("\t-> Last \tC:\\Benutzer\\Bobby\\x.flt\n"
               "\t-> Other \tc:\\\xCF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xF2\xE5\xEB\xE8\\Pyotr\\y\n"
               "\t-> Panels \tC:\\FSX\\Vok\\Benutzer\\Panel1\\p.cfg\n")},
         {"Bobby", "Pyotr"}, {"\\Vok\\Benutzer\\Panel1\\p.cfg\n"}},
        {"a roaming profile on a share", {app("\\\\files\\home$\\kiran\\Application Data")},
         {"kiran"}, {"\\\\files\\home$\\"}},
        {"a name outside ASCII in registry data, a file name, UTF-8 and UTF-16 text",
         {app("C:\\Users\\" + jose + "\\AppData\\Roaming"),
          hkcu("\t-> LastUser \tjos\xE9 m\xFCller\n"),
          {"O Gauges\n", "O Gauges\n\t. " + jose + " livery.bmp \t0123456789abcdef0123456789abcdef\n"},
          {"<Name>Vok Panel</Name>", "<Name>" + to_utf8(jose) + "'s panel</Name>"},
          fsx("Pilot=" + utf16(to_utf8(jose), true) + "\nOther=" +
              utf16(to_utf8("C:\\Users\\\x8A\xE1rka\\x"), true) + "\nBuddy=" +
              utf16(to_utf8("\x8A\xE1rka"), true) + "\n")},
         {jose, "Jos\xE9", "M\xFCller", "\x8A\xE1rka"}, {"LastUser", "livery.bmp", "'s panel"}},
        {"the name with other spacing, order and separators",
         {hkcu("\t-> RegisteredTo \tAda  Lovelace\n\t-> Pilot \tLovelace, Ada\n"
               "\t-> Livery \tAda_Lovelace\n\t-> Upper \tADA-LOVELACE\n")},
         {"Ada", "Lovelace", "Ada_Lovelace"}, {"RegisteredTo", "Livery"}},
        {"the 8.3 short name of a profile",
         {app("C:\\Documents and Settings\\Ada Lovelace\\Application Data"),
          hkcu("\t-> TempFolder \tC:\\DOCUME~1\\ADALOV~1\\LOCALS~1\\Temp\n")},
         {"ADALOV~1", "Ada Lovelace"}, {"C:\\DOCUME~1\\", "\\LOCALS~1\\Temp"}},
        {"an 8.3 short name standing alone",
         {app("C:\\Documents and Settings\\Ada Lovelace\\Application Data"),
          hkcu("\t-> Short \tADALOV~1\n")},
         {"ADALOV~1"}, {"Short"}},
        {"UTF-16 dll.xml with a two-letter user and another profile",
         {app("C:\\Users\\Al\\AppData\\Roaming"),
          {"</SimBase.Document>",
           "  <Launch.Addon>\n    <Name>Al's tools</Name>\n"
           "    <Path>C:\\Users\\Al\\Documents\\AlTools.dll</Path>\n  </Launch.Addon>\n"
           "  <Launch.Addon>\n    <Name>\x8A\xE1rka's tools</Name>\n"
           "    <Path>C:\\Users\\\x8A\xE1rka\\Documents\\Tools.dll</Path>\n"
           "  </Launch.Addon>\n</SimBase.Document>"}},
         {"Al", "\x8A\xE1rka"},
         {utf16("AlTools.dll"), utf16("<Path>"), utf16("'s tools")},
         true},
        {"UTF-16 dll.xml through a profile whose name ends past Latin-1, the folder after it",
         {app("C:\\Users\\Tom\xE1\x9A\\AppData\\Roaming"),
          {"</SimBase.Document>",
           "  <Launch.Addon>\n    <Name>Tools</Name>\n"
           "    <Path>C:\\Users\\Tom\xE1\x9A\\Documents\\Tools.dll</Path>\n  </Launch.Addon>\n"
           "</SimBase.Document>"}},
         {"Tom\xE1\x9A"},
         {utf16("<Path>C:\\Users\\[user]\\Documents\\Tools.dll</Path>")},
         true},
        {"the XP profile folder, in another case elsewhere",
         {app("C:\\Documents and Settings\\Ada Byron\\Application Data"),
          hkcu("\t-> Panels \tC:\\Documents and Settings\\ADA BYRON\\FSX\\\n")},
         {"Ada Byron"}, {"Documents and Settings"}},
        {"a profile NAME.DOMAIN, NAME inside a longer word",
         {app("C:\\Users\\Ada.LAPTOP7\\AppData\\Roaming"), fsx("LastPilot=AdaKing\n")},
         {"Ada.LAPTOP7"}, {"LastPilot=AdaKing"}},
        {"a two-letter user as a whole word only",
         {app("C:\\Users\\Al\\AppData\\Roaming"), fsx("Alt=1\nPilot=Al\n")},
         {"Al"}, {"Alt=1"}},
        {"a NAME.DOMAIN profile's NAME, which stands nowhere else",
         {app("C:\\Users\\Kiran.CONTOSO\\AppData\\Roaming"), hkcu("\t-> LastPilot \tKiran\n")},
         {"Kiran.CONTOSO", "Kiran"}, {"LastPilot"}},
        {"nine other profiles, the customer's own named last",
         {app("C:\\Documents and Settings\\adalove\\Application Data"), fsx(nine_shares)},
         {"adalove", "share0", "share7", "share8"}, {"\\\\nas\\users\\"}},
        {"a damaged name label",
         {{"Name:                Ada", "Nam\x9A:                Ada"},
          hkcu("\t-> Owner \tLovelace, Ada\n")},
         {"Ada Lovelace", "Lovelace"}, {"Nam\x9A:"}},
        {"a damaged description label",
         {{"Problem description:", "Problem descr\x9Aption:"}},
         {"The fuel gauge of the Vok panel stays dark", "It started after the last update"}, {}},
        {"a name label that lost a byte",
         {{"Name:                Ada Lovelace", "Nme:                Kiran Rao"},
          hkcu("\t-> Owner \tKiran\n\t-> Other \tRao\n")},
         {"Kiran", "Rao"}, {"Nme:                [name]\n"}},
        {"a name label a blank short",
         {{"Name:                Ada Lovelace", "Name:               Kiran Rao"},
          hkcu("\t-> Owner \tKiran\n")},
         {"Kiran", "Rao"}, {"Name:               [name]\n"}},
        {"a forum label with a tab for its blanks",
         {{"Forum name:          ada_flies", "Forum name:\tfly_kiran"}, hkcu("\t-> Nick \tfly_kiran\n")},
         {"fly_kiran"}, {"Forum name:\t[forum name]\n"}},
        {"a basic information the reporter cut short before the OS version",
         {{"update.\n\nOS version:          6.1 build 7601  Windows 7\n"
           "Service pack:        1.0  Service Pack 1\n\nFSX path:            C:\\FSX\\\n"
           "App data path:       C:\\Users\\Ada\\AppData\\Roaming\n",
           "update.\nSection cut short: it reached the limit of 1 MiB.\n"}},
         {"It started after the last update", "Ada Lovelace"},
         {"Section cut short: it reached the limit of 1 MiB."}},
        {"a forum name whose start repeats, standing after its own first word",
         {{"ada_flies", "fly fly away"}, hkcu("\t-> Motto \tfly fly fly away\n")},
         {"fly fly away"}, {"Motto"}},
        {"a description line copied elsewhere, e-mail and name beside markup",
         {hkcu("\t-> Note \tIt started after the last update.\n"),
          fsx("Owner=Ada Lovelace <ADA@EXAMPLE.COM>\n")},
         {"It started after the last update", "ada@example.com", "Ada Lovelace"}, {"Owner="}},
        {"fsx.cfg lines that are the user name alone beside a bracket",
         {{"[Trusted]\n", "[Trusted]\nAda\n[Ada\nAda]\n"}}, {"Ada"}, {"[Trusted]\n"}},
        {"a user name of hex digits beside digests",
         {app("C:\\Users\\bea\\AppData\\Roaming"),
          {". readme.txt \t2d23f2fdd0899db069f1f3fa28cd97bd", ". readme.txt \t2d23f2fdd0899db069f1f3fa28cbea0d"}},
         {"Users\\bea"}, {"2d23f2fdd0899db069f1f3fa28cbea0d"}},
        {"a user name that is a file's digest",
         {app("C:\\Users\\2d23f2fdd0899db069f1f3fa28cd97bd\\AppData\\Roaming")},
         {"Users\\2d23f2fdd0899db069f1f3fa28cd97bd"}, {". readme.txt \t2d23f2fdd0899db069f1f3fa28cd97bd"}},
        {"a user named 1, as the OS version's numbers",
         {app("C:\\Users\\1\\AppData\\Roaming")}, {"Users\\1"},
         {"6.1 build 7601  ", "Service pack:        1.0  "}},
        {"an e-mail inside a [Trusted] key, beside its last dot",
         {{"lnbz=-1", "lnbz ada@example.com=-1"}}, {"ada@example.com"}, {}},
        {"shared profiles name nobody", {app("C:\\Users\\Public\\AppData\\Roaming")}, {},
         {"C:\\Users\\Public\\AppData"}},
        {"a user named Windows: Windows' own words stay",
         {app("C:\\Users\\Windows\\AppData\\Roaming")}, {"Users\\Windows"},
         {"6.1 build 7601  Windows 7\n", "System dir                    : C:\\Windows\n"}},
        {"a user named Roaming, a customer named as the simulator's registry keys",
         {app("C:\\Users\\Roaming\\AppData\\Roaming"), {"Ada Lovelace", "Microsoft Flight"}},
         {"Users\\Roaming"},
         {"C:\\Users\\[user]\\AppData\\Roaming\n",
          "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\n"}},
        {"description lines that quote the installation's values, and one of three words",
         {{"It started after the last update.",
           "It started after the last update.\nRing me tonight\n-1\nSetupPath\n0x9\n"
           "Flight Simulator X\nD:\\Sims\\FSX Gold\\"},
          {"FSX path:            C:\\FSX\\", "FSX path:            D:\\Sims\\FSX Gold\\"},
          hkcu("\t-> Note \tRing me tonight\n\t-> Product \tFlight Simulator X\n")},
         {"It started after the last update", "Ring me tonight"},
         {"lnbz=-1\n", "-> SetupPath \tC:\\FSX\\\n", "-> LangID \t0x9\n",
          "-> Product \tFlight Simulator X\n", "FSX path:            D:\\Sims\\FSX Gold\\\n"}},
        {"the e-mail's local parts standing alone",
         {{"ada@example.com", "\"Kiran\" <kiran.sharma@contoso.net>, k.s@mail.in"},
          hkcu("\t-> Login \tkiran.sharma\n\t-> Other \tk.s\n"), fsx("User=KIRAN.SHARMA\n")},
         {"kiran.sharma@contoso.net", "kiran.sharma", "k.s"}, {"Login", "User="}},
        {"a subaddressed e-mail: the mailbox without its tag",
         {{"ada@example.com", "Kiran.Sharma+fsx@Example.COM"},
          hkcu("\t-> Mail \tkiran.sharma@example.com\n\t-> Login \tKIRAN.SHARMA\n")},
         {"kiran.sharma@example.com", "kiran.sharma"}, {"Login"}},
        {"typographic quotes and a no-break space beside the name",
         {hkcu("\t-> Owner \t\x93" "Ada\x94 \xABLovelace\xBB\n\t-> Livery \tAda\x92s\xA0panel\n")},
         {"Ada", "Lovelace"}, {"\x92s\xA0panel\n"}},
        {"typographic quotes beside the name in UTF-16",
         {{"<Name>Vok Panel</Name>", "<Name>\xABLovelace\xBB panel</Name>"}},
         {"Lovelace"}, {utf16(to_utf8(" panel</Name>"))}, true},
        {"a name of more hex letters than a digest has",
         {{"Ada Lovelace", "Ada " + std::string(40, 'e')},
          hkcu("\t-> Owner \t" + std::string(40, 'E') + "\n")},
         {std::string(40, 'e')}, {"Owner"}},
        {"NT's Profiles folder holds profiles, an add-on's holds none",
         {hkcu("\t-> Old \tC:\\WINNT\\Profiles\\Kiran\\x\n"
               "\t-> Panels \tC:\\FSX\\Modules\\Profiles\\Airliner.ini\n\t-> Kind \tAirliner\n")},
         {"Kiran"}, {"\\Modules\\Profiles\\Airliner.ini\n", "Kind \tAirliner\n"}},
        {"a malformed dll.xml: the name in a tag without its >, an unquoted value, after a "
         "stray <, in a processing instruction and a DOCTYPE's literal",
         {app("C:\\Users\\Kiran\\AppData\\Roaming"),
          {"<SimBase.Document Type", "<!DOCTYPE SimBase.Document [<!ENTITY who \"Ada\">]>\n"
                                     "<SimBase.Document Type"},
          {"  </Launch.Addon>\n</SimBase.Document>",
           "  </Launch.Addon>\n  <Owner who=Ada>1 < 2 Lovelace</Owner>\n  <?owner Ada Lovelace?>\n"
           "  <Path C:\\Users\\Kiran\\Documents\\T.dll</Path>\n</SimBase.Document>"}},
         {"Ada", "Lovelace", "Kiran"}, {"<Owner who=", "<?owner ", "<!DOCTYPE SimBase.Document"}},
        {"an attribute named as the customer, its = on the next line",
         {{"<Descr>Launch</Descr>", "<Descr Ada\n    =\"1\">Launch</Descr>"}}, {},
         {"<Descr Ada\n"}},
        {"a name and a user spelled with character references in dll.xml",
         {app("C:\\Users\\J\xFCrgen\\AppData\\Roaming"),
          {"  </Launch.Addon>\n</SimBase.Document>",
           "  </Launch.Addon>\n  <Launch.Addon>\n    <Name>&#65;da L&#x6F;velace's tools</Name>\n"
           "    <Path>C:\\Users\\J&#252;rgen\\Documents\\T.dll</Path>\n  </Launch.Addon>\n"
           "</SimBase.Document>"}},
         {"Ada", "Lovelace", "J\xFCrgen"}, {"'s tools</Name>", "\\Documents\\T.dll</Path>"}},
        {"profiles named in URLs' escapes: the customer's own in UTF-8, another",
         {app("C:\\Users\\J\xFCrgen Rao\\AppData\\Roaming"),
          hkcu("\t-> Doc \tfile:///C:/Users/J%C3%BCrgen%20Rao/x.pdf\n"
               "\t-> Other \tfile:///C:/Users/Bob%20Smith/y.pdf\n")},
         {"J\xFCrgen", "Rao", "Bob", "Smith"},
         {"file:///C:/Users/[user]/x.pdf", "file:///C:/Users/[user 2]/y.pdf"}},
        {"an unclosed XML declaration, the parser's error at the copy's end, and a placeholder "
         "longer by an odd number of bytes than the name",
         {{"encoding=\"Windows-1252\"?>", "encoding=\"Windows-1252\""},
          {"<Descr>Launch</Descr>", "<Descr>Ada</Descr>"}},
         {"Ada"}, {"<?xml version=\"1.0\" encoding=\"Windows-1252\"\n"}},
        {"a user named 7, as the Windows version's name",
         {app("C:\\Users\\7\\AppData\\Roaming")}, {"Users\\7"},
         {"Windows 7\nService pack:        1.0  Service Pack 1\n"}},
    };
    ScratchDirectory scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string original = edited(edited(fixture_report("clean.txt"), faults), c.edits);
        if (c.utf16_dll_xml)
            original = with_utf16_dll_xml(original);
        const std::string source = "reports/" + to_utf8(c.secrets.empty() ? "x" : c.secrets[0]) + ".dat";
        const Inspection before = inspect_bytes(source, original, fixture_config());
        const Inspection after = inspect_bytes(source, original, fixture_config(), true);
        const std::string redacted =
            redacted_report(original, find_personal_data(original), fixture_config());
        EXPECT_EQ(std::count(redacted.begin(), redacted.end(), '\n'),
                  std::count(original.begin(), original.end(), '\n'));
        EXPECT_EQ(diagnosis(after), diagnosis(before));
        EXPECT_EQ(diagnosis(inspect_text("r", redacted)), diagnosis(before));
        EXPECT_GE(before.findings.size(), 3u);
        for (const std::string& kept : c.kept)
            EXPECT_NE(redacted.find(kept), std::string::npos) << printable(kept);

        // The second report's own e-mail, which the first holds elsewhere.
        const std::string contact = "second@example.org";
        write_file_bytes(scratch.file("old.txt"), second_report(original, {contact}, false));
        write_file_bytes(scratch.file("new.txt"), second_report(original, c.secrets, true, contact));
        Inspection old_one, new_one;
        inspect_redacted_pair(scratch.file("old.txt"), scratch.file("new.txt"), fixture_config(),
                              old_one, new_one);
        const ReportDiff diff = diff_reports(old_one, new_one);
        EXPECT_EQ(diagnosis(diff),
                  diagnosis(diff_reports(inspect_file(scratch.file("old.txt"), fixture_config()),
                                         inspect_file(scratch.file("new.txt"), fixture_config()))));
        std::vector<std::string> outputs = outputs_of(after);
        outputs.push_back(redacted);
        outputs.push_back(after.source);
        std::ostringstream diff_text, diff_json;
        write_diff_text(old_one, new_one, diff, diff_text);
        write_diff_json(old_one, new_one, diff, diff_json);
        outputs.push_back(diff_text.str());
        outputs.push_back(diff_json.str());
        for (const std::string& secret : c.secrets)
            for (std::size_t k = 0; k < outputs.size(); ++k)
                EXPECT_FALSE(holds(outputs[k], secret)) << printable(secret) << " in output " << k;
        for (std::size_t k = outputs.size() - 2; k < outputs.size(); ++k)
            EXPECT_FALSE(holds(outputs[k], contact)) << "the second report's e-mail in diff";
    }
}

// A report cut inside its basic information: the parser reads less of the
// description than the customer wrote, but every line of it goes.
TEST(Redaction, TheWholeDescriptionOfADamagedReport)
{
    const std::string clean = fixture_report("clean.txt");
    const std::string last_words = "It started after the last update.";
    const std::string original = clean.substr(0, clean.find(last_words) + last_words.size());
    const std::string redacted =
        redacted_report(original, find_personal_data(original), fixture_config());
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

// diff's second report: its users are numbered after the first's, one
// both name keeping its number, so that no two users share a placeholder.
TEST(Redaction, TheSecondReportsUsersFollowTheFirsts)
{
    const auto profiles_of = [](const std::string& own, const std::string& other) {
        const std::string text = edited(fixture_report("clean.txt"),
                                        {app("C:\\Users\\" + own + "\\AppData\\Roaming"),
                                         hkcu("\t-> Last \tC:\\Users\\" + other + "\\x\n")});
        return find_personal_data(text);
    };
    PersonalData data = profiles_of("Kiran", "Bob");
    add_personal_data(data, profiles_of("Carl", "Bob"));
    using Pair = std::pair<std::string, std::string>;
    EXPECT_EQ(data.profiles, (std::vector<Pair>{{"Kiran", "[user]"}, {"Bob", "[user 2]"},
                                                {"Carl", "[user 3]"}}));
    EXPECT_NE(std::find(data.texts.begin(), data.texts.end(), Pair{"Carl", "[user 3]"}),
              data.texts.end());
}

// However many profiles a report names, each goes, and the customer's own
// is never the one left out.
TEST(Redaction, EveryProfileOfAReportOfManyGoes)
{
    std::string text = fixture_report("clean.txt");
    const std::string main_section = "[Main]\n";
    std::string paths;
    for (int i = 0; i < 20000; ++i)
        paths += "Recent" + std::to_string(i) + "=C:\\Users\\user" + std::to_string(i) + "\\x\n";
    text.insert(text.find(main_section) + main_section.size(), paths);
    const PersonalData data = find_personal_data(text);
    EXPECT_EQ(data.texts.front(), (std::pair<std::string, std::string>("Ada Lovelace", "[name]")));
    const std::string redacted = redacted_report(text, data, fixture_config());
    EXPECT_EQ(redacted.find("user19999"), std::string::npos);
    EXPECT_EQ(redacted.find("\\Ada\\"), std::string::npos);
    EXPECT_EQ(std::count(redacted.begin(), redacted.end(), '\n'),
              std::count(text.begin(), text.end(), '\n'));
}

} // namespace
