#pragma once
#include "audit/config.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What --redact and "ravelo-inspect redact" hide: the customer's name (and
// each word of it), e-mail, forum name and problem description, and the
// Windows user names of the profile folders the report names (under
// C:\Users\, C:\Documents and Settings\, a German XP's C:\Dokumente und
// Einstellungen\, or wherever the App data path puts the profile), each
// replaced by a fixed placeholder wherever it stands as whole words (each
// other user's numbered: [user 2], [user 3]...).
const char redacted_name_text[] = "[name]";
const char redacted_email_text[] = "[e-mail]";
const char redacted_forum_text[] = "[forum name]";
const char redacted_description_text[] = "[problem description]";
const char redacted_user_text[] = "[user]";

struct PersonalData {
    // What to look for, in the report's own bytes, and its placeholder;
    // each is also looked for as UTF-8 and as UTF-16LE.
    std::vector<std::pair<std::string, std::string>> texts;
    // Folders (case folded; a name, or a parent's and its own as
    // winnt\profiles) each of whose subfolders is someone's profile.
    std::vector<std::string> profile_roots;
    // Each profile folder's name and its placeholder.
    std::vector<std::pair<std::string, std::string>> profiles;
};

// The customer's data a report's text holds: the basic information's
// fields (read line by line where its labels are damaged), the user name
// of the App data path, every other profile folder under a profile root,
// and the 8.3 short names Windows gives those folders (ADALOV~1).
PersonalData find_personal_data(std::string_view report_text);

// For a diff: the data of both reports, looked for in both; the other
// report's users are numbered after this one's.
void add_personal_data(PersonalData& data, const PersonalData& more);

// [user] for the first profile (the customer's own), [user 2], [user 3]...
// for the others.
std::string numbered_user(std::size_t number);

// The report's text with the personal data replaced and every other byte
// kept, so that it is still a report that gives the same findings: the
// lines stay where they were, every line between the Basic information
// banner and the OS version line keeps only its label, and no placeholder
// lands inside a longer word or replaces a word the installation itself
// uses (a word of the report's layout, a registry root, dll.xml's markup,
// a drive letter, a digest, the config's and its releases' file names),
// except in a profile folder's own name.
std::string redacted_report(std::string_view report_text, const PersonalData& data,
                            const Config& config);

// Any other text (a file name in UTF-8, say) with the same data replaced.
std::string redacted_text(std::string_view text, const PersonalData& data);
