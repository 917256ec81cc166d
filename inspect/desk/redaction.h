#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What --redact and "ravelo-inspect redact" hide: the customer's name,
// e-mail, forum name and problem description, and the Windows user names
// found in profile paths (C:\Users\NAME\, C:\Documents and Settings\NAME\),
// each replaced by a fixed placeholder wherever it appears in the report.
const char redacted_name_text[] = "[name]";
const char redacted_email_text[] = "[e-mail]";
const char redacted_forum_text[] = "[forum name]";
const char redacted_description_text[] = "[problem description]";
const char redacted_user_text[] = "[user]";

struct PersonalData {
    // What to look for, and its placeholder; each text in the report's own
    // bytes and also as UTF-8 and UTF-16LE, as files copied into the
    // report may hold it.
    std::vector<std::pair<std::string, std::string>> replacements;
    // The report lines (from 1) of the problem description.
    std::size_t description_line = 0, description_lines = 0;
};

// The customer's data a report's text holds.
PersonalData find_personal_data(std::string_view report_text);

// The report's text with every piece of personal data replaced and every
// other byte kept: the lines stay where they were, banners, labels and
// digests untouched, so that the result is still a report to inspect.
std::string redacted_report(std::string_view report_text, const PersonalData& data);

// Any other text (a file name, say) with the same data replaced.
std::string redacted_text(std::string_view text, const PersonalData& data);

// The Windows user names in the profile paths of a text, each once.
std::vector<std::string> profile_user_names(std::string_view text);
