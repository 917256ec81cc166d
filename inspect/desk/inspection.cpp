#include "desk/inspection.h"

#include "audit/manifest.h"
#include "desk/redaction.h"
#include "report/file_names.h"
#include "report/parser.h"
#include "rules/rules.h"
#include "tools/report_decipher.h"
#include "tools/report_shape.h"

#include <cstdio>
#include <memory>

namespace {

// A decoded report as a Windows editor saves it: with a UTF-8 byte order
// mark, and with CR LF line ends. The reporter's own carriage returns (in
// the problem description) then stand before a CR LF and are kept. The
// text is copied only when its line ends change.
std::string_view as_decoded(std::string_view text, std::string& copy)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const std::size_t first_end = text.find('\n');
    if (first_end == std::string_view::npos || first_end == 0 || text[first_end - 1] != '\r')
        return text;
    copy.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            copy += text[i];
    return copy;
}

// A whole first banner, or (for a report cut inside it, to be read as
// damaged) the start of one.
bool is_plain_report(std::string_view text)
{
    return looks_like_report(std::string(text.substr(0, 512))) ||
           text.substr(0, 20) == "** Basic information" ||
           text.substr(0, 30) == "Can't find FSX registry entry.";
}

// At most max_report_bytes + 1 bytes, so a larger file is told apart
// without reading it whole.
bool read_bounded(const std::string& path, std::string& bytes, std::string& error)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(open_file(path, "rb"),
                                                         std::fclose);
    if (!file) {
        error = "cannot open the file";
        return false;
    }
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.append(chunk, got);
        if (bytes.size() > max_report_bytes) {
            error = "larger than " + std::to_string(max_report_bytes >> 20) +
                    " MiB: no Ravelo report";
            return false;
        }
    }
    if (std::ferror(file.get())) {
        error = "cannot read the file";
        return false;
    }
    return true;
}

// The report's text: bytes as they are, the decoded form of them in copy,
// or their deciphering in copy.
bool plain_text(const std::string& bytes, std::string& copy, std::string_view& text,
                std::string& error)
{
    text = as_decoded(bytes, copy);
    if (is_plain_report(text))
        return true;
    if (!decipher_report(bytes, copy)) {
        error = "not a Ravelo report: its size (" + std::to_string(bytes.size()) +
                " bytes) is not a whole number of 8-byte blocks";
        return false;
    }
    text = copy;
    return true;
}

} // namespace

namespace {

// data: the customer's data to replace first, or none.
Inspection inspect_plain_text(const std::string& source, std::string_view text, const Config& config,
                        const PersonalData* data)
{
    Inspection inspection;
    inspection.source = source;
    std::string redacted;
    if (data) {
        redacted = redacted_report(text, *data, config);
        text = redacted;
        inspection.source = redacted_text(source, *data);
    }
    inspection.report = parse_report(text);
    inspection.report.files = audit_files(inspection.report, config);
    inspection.findings = run_rules(inspection.report, config);
    return inspection;
}

} // namespace

Inspection inspect_bytes(const std::string& source, const std::string& bytes,
                         const Config& config, bool redact)
{
    std::string copy;
    std::string_view text;
    Inspection unread;
    unread.source = source;
    if (!plain_text(bytes, copy, text, unread.error))
        return unread;
    if (!redact)
        return inspect_plain_text(source, text, config, nullptr);
    const PersonalData data = find_personal_data(text);
    return inspect_plain_text(source, text, config, &data);
}

Inspection inspect_file(const std::string& path, const Config& config, bool redact)
{
    std::string bytes, error;
    if (!read_bounded(path, bytes, error)) {
        Inspection inspection;
        inspection.source = path;
        inspection.error = error;
        return inspection;
    }
    return inspect_bytes(path, bytes, config, redact);
}

bool read_report_text(const std::string& path, std::string& text, std::string& error)
{
    std::string bytes, copy;
    std::string_view view;
    if (!read_bounded(path, bytes, error) || !plain_text(bytes, copy, view, error))
        return false;
    text = std::string(view);
    return true;
}

void inspect_redacted_pair(const std::string& old_file, const std::string& new_file,
                           const Config& config, Inspection& old_one, Inspection& new_one)
{
    const std::string* files[2] = {&old_file, &new_file};
    Inspection* inspections[2] = {&old_one, &new_one};
    std::string texts[2], errors[2];
    PersonalData data;
    for (int k = 0; k < 2; ++k)
        if (read_report_text(*files[k], texts[k], errors[k]))
            add_personal_data(data, find_personal_data(texts[k]));
    for (int k = 0; k < 2; ++k) {
        if (errors[k].empty()) {
            *inspections[k] = inspect_plain_text(*files[k], texts[k], config, &data);
            continue;
        }
        *inspections[k] = Inspection{};
        inspections[k]->source = redacted_text(*files[k], data);
        inspections[k]->error = errors[k];
    }
}

bool inspection_failed(const Inspection& inspection)
{
    if (!inspection.error.empty())
        return true;
    for (const Finding& finding : inspection.findings)
        if (finding.rule == "report-damaged")
            return true;
    return false;
}
