#include "rules/helpers.h"
#include "rules/rules.h"

namespace {

// One finding for every file of the audit with this status.
std::optional<Finding> files_with(const Report& report, FileStatus status, Severity severity,
                                  const std::string& message)
{
    if (!trees_are_meaningful(report))
        return std::nullopt;
    Finding finding = make_finding(severity, "");
    std::size_t count = 0;
    for (const AuditedFile& file : report.files.files) {
        if (file.status != status)
            continue;
        ++count;
        std::string text = file.path;
        if (file.digest)
            text += " " + *file.digest;
        if (file.expected && status != FileStatus::missing)
            text += " (shipped " + *file.expected + ")";
        add_evidence(finding, file.line, text);
    }
    if (!count)
        return std::nullopt;
    close_evidence(finding, count);
    finding.message = std::to_string(count) + " " + message;
    return finding;
}

std::string release_name(const Report& report)
{
    return report.files.release ? *report.files.release : "";
}

} // namespace

std::optional<Finding> check_file_modified(const Report& report, const Config&)
{
    return files_with(report, FileStatus::modified, Severity::warning,
                      "file(s) differ from release " + release_name(report) +
                          ": changed by the customer, another installer or a damaged copy. "
                          "Reinstall the add-on if they are not the customer's own edits.");
}

std::optional<Finding> check_file_missing(const Report& report, const Config&)
{
    if (!report.vok.complete)
        return std::nullopt;
    return files_with(report, FileStatus::missing, Severity::error,
                      "file(s) of release " + release_name(report) +
                          " are missing from the add-on's folder. Reinstall the add-on.");
}

std::optional<Finding> check_file_extra(const Report& report, const Config&)
{
    return files_with(report, FileStatus::extra, Severity::info,
                      "file(s) in the add-on's folder are not part of release " +
                          release_name(report) + " (the customer's own, or left by another "
                                                 "release).");
}

std::optional<Finding> check_file_unreadable(const Report& report, const Config&)
{
    return files_with(report, FileStatus::unreadable, Severity::warning,
                      "file(s) in the add-on's folder could not be read when the report was "
                      "made (locked by a running program, or access denied).");
}
