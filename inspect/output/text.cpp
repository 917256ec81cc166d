#include "output/outputs.h"

#include "output/display_text.h"
#include "rules/helpers.h"

#include <algorithm>
#include <cctype>

namespace {

const std::size_t evidence_shown = 3;

void write_field(std::ostream& out, const char* label, const std::string& value)
{
    out << label << value << '\n';
}

std::string first_line(const std::string& text)
{
    const std::size_t end = text.find('\n');
    if (end == std::string::npos)
        return printable(text);
    const std::size_t more = std::count(text.begin(), text.end(), '\n');
    return printable(text.substr(0, end)) + " (+" + std::to_string(more) + " lines)";
}

std::string release_text(const Report& report)
{
    if (!report.files.release)
        return "none (no manifest, or no install path to audit)";
    std::size_t counts[6] = {};
    for (const AuditedFile& file : report.files.files)
        ++counts[static_cast<int>(file.status)];
    return printable(*report.files.release) + " (" + std::to_string(counts[0]) + " ok, " +
           std::to_string(counts[1]) + " modified, " + std::to_string(counts[2]) + " missing, " +
           std::to_string(counts[3]) + " extra, " + std::to_string(counts[4]) + " unreadable)";
}

void write_finding(const Finding& finding, std::ostream& out)
{
    std::string severity = severity_name(finding.severity);
    for (char& c : severity)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    severity.resize(9, ' ');
    out << severity << finding.rule << ": " << printable(finding.message) << '\n';
    for (std::size_t i = 0; i < finding.evidence.size() && i < evidence_shown; ++i) {
        const Evidence& evidence = finding.evidence[i];
        out << "         ";
        if (evidence.line)
            out << "line " << evidence.line << ": ";
        out << printable(evidence.text) << '\n';
    }
    if (finding.evidence.size() > evidence_shown)
        out << "         (" << finding.evidence.size() - evidence_shown
            << " more evidence lines in --json or --html)\n";
}

} // namespace

std::string windows_text(const WindowsVersion& windows)
{
    if (!windows.present)
        return "unknown";
    std::string text = windows_name(windows);
    if (!windows.service_pack.empty())
        text += (text.empty() ? "" : " ") + windows.service_pack;
    const std::string version = std::to_string(windows.major) + "." +
                                std::to_string(windows.minor) + " build " +
                                std::to_string(windows.build);
    text += text.empty() ? version : " (" + version + ")";
    if (!windows.workstation)
        text += ", not a workstation";
    return text;
}

std::size_t count_findings(const Inspection& inspection, Severity severity)
{
    return std::count_if(inspection.findings.begin(), inspection.findings.end(),
                         [severity](const Finding& f) { return f.severity == severity; });
}

void write_text(const Inspection& inspection, std::ostream& out)
{
    write_field(out, "Report    ", printable_utf8(inspection.source));
    if (!inspection.error.empty()) {
        write_field(out, "Error     ", printable_utf8(inspection.error));
        return;
    }
    const Report& report = inspection.report;
    const Customer& customer = report.customer;
    write_field(out, "Customer  ", printable(customer.name) + " <" + printable(customer.email) +
                                       ">" + (customer.forum.empty() ? "" : ", forum " +
                                                                               printable(customer.forum)));
    write_field(out, "Problem   ", first_line(customer.description));
    write_field(out, "Windows   ", printable(windows_text(report.windows)));
    write_field(out, "Install   ", !install_folder(report).empty() ? printable(report.install_path)
                                                                : "(none in the registry)");
    write_field(out, "Release   ", release_text(report));
    out << '\n'
        << count_findings(inspection, Severity::error) << " error(s), "
        << count_findings(inspection, Severity::warning) << " warning(s), "
        << count_findings(inspection, Severity::info) << " note(s)\n";
    for (const Finding& finding : inspection.findings)
        write_finding(finding, out);
}

std::string first_error_rule(const Inspection& inspection)
{
    for (const Finding& finding : inspection.findings)
        if (finding.severity == Severity::error)
            return finding.rule;
    return "";
}

void write_summary_header(std::ostream& out)
{
    out << "file\tcustomer\temail\twindows\trelease\terrors\twarnings\tfirst_error\n";
}

void write_summary_row(const Inspection& inspection, std::ostream& out)
{
    out << printable_utf8(inspection.source) << '\t';
    if (!inspection.error.empty()) {
        out << "\t\t\t\t\t\t" << printable("cannot inspect: " + inspection.error) << '\n';
        return;
    }
    const Report& report = inspection.report;
    out << printable(report.customer.name) << '\t' << printable(report.customer.email) << '\t'
        << printable(windows_text(report.windows)) << '\t'
        << (report.files.release ? printable(*report.files.release) : "") << '\t'
        << count_findings(inspection, Severity::error) << '\t'
        << count_findings(inspection, Severity::warning) << '\t'
        << first_error_rule(inspection) << '\n';
}
