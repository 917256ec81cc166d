#include "inspection.h"

#include "manifest.h"
#include "redaction.h"
#include "report_parser.h"
#include "rules.h"
#include "../tools/report_decipher.h"

#include <cstdio>
#include <memory>

namespace {

bool is_plain_report(const std::string& bytes)
{
    const std::string_view text(bytes);
    return text.substr(0, 20) == "** Basic information" ||
           text.substr(0, 30) == "Can't find FSX registry entry.";
}

// At most max_report_bytes + 1 bytes, so a larger file is told apart
// without reading it whole.
bool read_bounded(const std::string& path, std::string& bytes, std::string& error)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
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

bool plain_text(const std::string& bytes, std::string& text, std::string& error)
{
    if (is_plain_report(bytes)) {
        text = bytes;
        return true;
    }
    if (decipher_report(bytes, text))
        return true;
    error = "not a Ravelo report: its size (" + std::to_string(bytes.size()) +
            " bytes) is not a whole number of 8-byte blocks";
    return false;
}

} // namespace

Inspection inspect_bytes(const std::string& source, const std::string& bytes,
                         const Config& config, bool redact)
{
    Inspection inspection;
    inspection.source = source;
    std::string text;
    if (!plain_text(bytes, text, inspection.error))
        return inspection;
    if (redact) {
        const PersonalData data = find_personal_data(text);
        text = redacted_report(text, data);
        inspection.source = redacted_text(source, data);
    }
    inspection.report = parse_report(text);
    inspection.report.files = audit_files(inspection.report, config);
    inspection.findings = run_rules(inspection.report, config);
    return inspection;
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
    std::string bytes;
    return read_bounded(path, bytes, error) && plain_text(bytes, text, error);
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
