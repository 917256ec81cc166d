#pragma once
// The parts redaction is made of, shared by its sources; what the rest of
// the inspector uses is in redaction.h.
#include "audit/config.h"
#include "report/model.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// A stretch [begin, end) of a line, or of a text's lines.
struct Span {
    std::size_t begin, end;
};

// visit(line, index) for each line of text, without its line feed, as
// long as it returns true. A text ending with a line feed has no empty
// last line after it.
template <typename Visit>
void for_each_line(std::string_view text, Visit visit)
{
    for (std::size_t start = 0, index = 0; start < text.size(); ++index) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        if (!visit(text.substr(start, end - start), index))
            return;
        start = end + 1;
    }
}

// --- Profile folders (profile_folders.cpp)

// The profile roots of every Windows: Users, Documents and Settings, the
// German XP's Dokumente und Einstellungen, their short names, NT's
// WINNT\Profiles.
const std::vector<std::string>& known_profile_roots();

// The profile folder of an App data path (C:\Users\NAME\AppData\Roaming,
// X:\ROOT\NAME\Application Data in any XP language): its name, and the
// folded name of the folder it stands in when that is a folder of its own
// rather than a drive or a share. Empty names where the path names none.
struct AppDataProfile {
    std::string name, root;
};
AppDataProfile app_data_profile(std::string_view app_data_path);

// The folders of a line that stand right under one of roots (folded names,
// whole path components) or under a name Explorer shows for Users at a
// drive's root (C:\Benutzer): someone's profile, unless it is one that
// every Windows has (Public, All Users, Default).
std::vector<Span> profile_folders(std::string_view line, const std::vector<std::string>& roots);

// The 8.3 short names Windows may give a folder of that name (ADALOV~1),
// none when the name is a short name already.
std::vector<std::string> short_names(std::string_view name);

// The Windows-1252 byte of a code point, DEL where the code page lacks it.
char windows_1252_byte(char32_t unit);

// The UTF-16 units of a line, from byte first on, as Windows-1252 bytes;
// a unit the code page lacks becomes DEL, which parts words as the units
// of ANSI text read in pairs do.
std::string narrowed_utf16(std::string_view line, std::size_t first, bool big_endian);

// Whether a line holds a URL's escape (%20), whose path names a profile
// as file:///C:/Users/Ada%20Lovelace/ does.
bool has_percent_escape(std::string_view line);

// The text with each %XX made the byte it stands for, and in at where each
// byte of it starts in text, with text's size last.
std::string percent_decoded(std::string_view text, std::vector<std::size_t>& at);

// A name as the report's bytes spell it, where a URL spells it in UTF-8
// (J%C3%BCrgen); the name itself where it is no UTF-8 or plain ASCII.
std::string ansi_name(std::string_view name);

// --- The report's own words and layout (report_words.cpp)

// Words (folded) a placeholder must never replace outside a profile
// folder's name: the report's labels and fixed lines, registry roots,
// dll.xml's and fsx.cfg's own words, those the rules look for, and the
// config's names and its releases' files and folders.
std::unordered_set<std::string> installation_words(const Config& config);

// The words of text, folded, one after another.
std::vector<std::string> folded_words(std::string_view text);

// A banner's line, its title's or another: 70 bytes from '*' to '*'.
bool is_banner_line(std::string_view line);

// Lines of the layout: banners, rules and the fixed lines.
bool is_layout_line(std::string_view line);

// How much of a line the layout holds: a label, the tabs and mark that open
// a listed entry, the version numbers of the OS lines.
std::size_t layout_prefix(std::string_view line);

// The Basic information's customer lines: [begin, end) as line indices,
// from its banner to the OS version line (or, when that cannot be found,
// the next label or banner); empty when the report opens with no such
// banner.
Span customer_lines(std::string_view text, const Report& report);

enum class CustomerField { name, email, forum, description };

// The field a customer line holds, by its label or, where that is damaged,
// by the label it is closest to or else by its place (filled: how many of
// the customer lines before it hold text, as the reporter writes the four
// fields in order); a line without one continues the description.
// value_at: where the field's value starts.
CustomerField customer_field(std::string_view line, std::size_t filled, std::size_t& value_at);

bool is_blank_line(std::string_view line);

const char* placeholder_of(CustomerField field);

// --- dll.xml's markup (xml_markup.cpp)

// Where a text of dll.xml is, between lines.
enum class XmlPlace {
    text,
    tag_name,  // right after a '<'
    tag,
    quoted_single,
    quoted_double,
    comment,
    cdata,
    declaration  // <?xml ... ?>
};

// The stretches of a line of dll.xml that are markup (the brackets, names
// and attribute names of tags, declarations and processing instructions,
// quotes, entities, the XML declaration whole); attribute values, text,
// comments and stray words in a tag are not. place is carried from one line
// to the next.
std::vector<Span> markup_of(std::string_view line, XmlPlace& place);

// The text with each numeric character reference (&#252; &#xFC;) made the
// Windows-1252 byte it stands for, as an XML reader shows it (DEL for one
// the code page lacks or one that would be markup), and in at where each
// byte of it starts in text, with text's size last.
std::string decoded_references(std::string_view text, std::vector<std::size_t>& at);
