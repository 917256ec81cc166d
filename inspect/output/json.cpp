#include "output/outputs.h"

#include "output/display_text.h"
#include "rules/helpers.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

const char* status_name(FileStatus status)
{
    switch (status) {
    case FileStatus::ok: return "ok";
    case FileStatus::modified: return "modified";
    case FileStatus::missing: return "missing";
    case FileStatus::extra: return "extra";
    case FileStatus::unreadable: return "unreadable";
    default: return "unchecked";
    }
}

json text_or_null(const std::optional<std::string>& text)
{
    return text ? json(to_utf8(*text)) : json(nullptr);
}

// The file name comes from the command line, in whatever encoding; every
// other text has been made UTF-8.
std::string dumped(const json& document)
{
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

json line_or_null(std::size_t line)
{
    return line ? json(line) : json(nullptr);
}

json customer_json(const Customer& customer)
{
    return {{"name", to_utf8(customer.name)},
            {"email", to_utf8(customer.email)},
            {"forum", to_utf8(customer.forum)},
            {"description", to_utf8(customer.description)}};
}

json windows_json(const WindowsVersion& windows)
{
    if (!windows.present)
        return nullptr;
    const std::string name = windows_name(windows);
    return {{"major", windows.major},
            {"minor", windows.minor},
            {"build", windows.build},
            {"service_pack", to_utf8(windows.service_pack)},
            {"service_pack_version",
             std::to_string(windows.sp_major) + "." + std::to_string(windows.sp_minor)},
            {"name", name.empty() ? json(nullptr) : json(to_utf8(name))},
            {"workstation", windows.workstation}};
}

json files_json(const FileAudit& audit)
{
    json files = json::array();
    for (const AuditedFile& file : audit.files)
        files.push_back({{"path", to_utf8(file.path)},
                         {"status", status_name(file.status)},
                         {"digest", text_or_null(file.digest)},
                         {"expected", text_or_null(file.expected)},
                         {"line", line_or_null(file.line)}});
    return files;
}

json findings_json(const std::vector<Finding>& findings)
{
    json list = json::array();
    for (const Finding& finding : findings) {
        json evidence = json::array();
        for (const Evidence& item : finding.evidence)
            evidence.push_back({{"line", line_or_null(item.line)}, {"text", to_utf8(item.text)}});
        list.push_back({{"rule", finding.rule},
                        {"severity", severity_name(finding.severity)},
                        {"message", to_utf8(finding.message)},
                        {"evidence", evidence}});
    }
    return list;
}

} // namespace

void write_json(const Inspection& inspection, std::ostream& out)
{
    json document = {{"report", inspection.source}};
    if (!inspection.error.empty()) {
        document["error"] = inspection.error;
        out << dumped(document) << '\n';
        return;
    }
    const Report& report = inspection.report;
    document["customer"] = customer_json(report.customer);
    document["windows"] = windows_json(report.windows);
    document["install_path"] =
        !install_folder(report).empty() ? json(to_utf8(report.install_path)) : json(nullptr);
    document["app_data_path"] = to_utf8(report.app_data_path);
    document["release"] = text_or_null(report.files.release);
    document["files"] = files_json(report.files);
    document["findings"] = findings_json(inspection.findings);
    out << dumped(document) << '\n';
}

void write_summary_json(const Inspection& inspection, std::ostream& out)
{
    json row = {{"report", inspection.source}};
    if (!inspection.error.empty()) {
        row["error"] = inspection.error;
        out << dumped(row) << '\n';
        return;
    }
    const Report& report = inspection.report;
    row["customer"] = to_utf8(report.customer.name);
    row["email"] = to_utf8(report.customer.email);
    row["windows"] = to_utf8(windows_text(report.windows));
    row["release"] = text_or_null(report.files.release);
    row["errors"] = count_findings(inspection, Severity::error);
    row["warnings"] = count_findings(inspection, Severity::warning);
    const std::string error = first_error_rule(inspection);
    row["first_error"] = error.empty() ? json(nullptr) : json(error);
    out << dumped(row) << '\n';
}
