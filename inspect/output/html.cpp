#include "output/outputs.h"

#include "output/display_text.h"
#include "rules/helpers.h"

namespace {

// No script, no external asset: the page works offline and runs nothing.
const char page_style[] =
    "body{font:14px sans-serif;margin:1.5em;color:#222}"
    "h1{font-size:1.4em}table{border-collapse:collapse}"
    "td,th{padding:2px 8px;text-align:left;vertical-align:top;border-bottom:1px solid #ddd}"
    "pre{background:#f6f6f6;padding:6px;overflow-x:auto;white-space:pre-wrap}"
    "summary{font-weight:bold;cursor:pointer;margin-top:.6em}"
    ".error{color:#b00020}.warning{color:#8a5a00}.info{color:#355}"
    ".finding{margin:.5em 0;padding:.3em .6em;border-left:4px solid currentColor}"
    ".finding p{color:#222;margin:.2em 0}.finding ul{color:#444;margin:.2em 0}"
    ".ok{color:#276227}.modified,.missing{color:#b00020}.extra{color:#555}"
    ".unreadable{color:#8a5a00}.unchecked{color:#555}";

using std::string;

string escaped(const string& text)
{
    return html_escaped(text);
}

string escaped_lines(const string& text)
{
    string out;
    append_html_escaped_lines(out, text);
    return out;
}

void write_row(std::ostream& out, const char* label, const string& value)
{
    out << "<tr><th>" << label << "</th><td>" << escaped(value) << "</td></tr>\n";
}

void write_finding(const Finding& finding, std::ostream& out)
{
    const char* severity = severity_name(finding.severity);
    out << "<div class=\"finding " << severity << "\"><b>" << severity << "</b> <code>"
        << escaped(finding.rule) << "</code><p>" << escaped(finding.message) << "</p><ul>";
    for (const Evidence& evidence : finding.evidence) {
        out << "<li>";
        if (evidence.line)
            out << "line " << evidence.line << ": ";
        out << "<code>" << escaped(evidence.text) << "</code></li>";
    }
    out << "</ul></div>\n";
}

const char* status_class(FileStatus status)
{
    const char* names[] = {"ok", "modified", "missing", "extra", "unreadable", "unchecked"};
    return names[static_cast<int>(status)];
}

void write_basic_information(const Report& report, std::ostream& out)
{
    const Customer& customer = report.customer;
    out << "<details open><summary>Basic information</summary><table>\n";
    write_row(out, "Name", customer.name);
    write_row(out, "E-mail", customer.email);
    write_row(out, "Forum name", customer.forum);
    write_row(out, "Windows", windows_text(report.windows));
    write_row(out, "Install path", report.install_path);
    write_row(out, "App data path", report.app_data_path);
    out << "</table><pre>" << escaped_lines(customer.description) << "</pre></details>\n";
}

void write_audited_tree(const Report& report, std::ostream& out)
{
    out << "<details><summary>Vok directory (" << report.files.files.size()
        << " files)</summary><table><tr><th>status</th><th>path</th><th>digest</th>"
           "<th>shipped</th></tr>\n";
    string rows;
    rows.reserve(report.files.files.size() * 160);
    for (const AuditedFile& file : report.files.files) {
        const char* status = status_class(file.status);
        rows += "<tr class=\"";
        rows += status;
        rows += "\"><td>";
        rows += status;
        rows += "</td><td>";
        append_html_escaped(rows, file.path);
        rows += "</td><td><code>";
        append_html_escaped(rows, file.digest.value_or(""));
        rows += "</code></td><td><code>";
        append_html_escaped(rows, file.expected.value_or(""));
        rows += "</code></td></tr>\n";
    }
    out << rows << "</table></details>\n";
}

void write_tree(const char* title, const Tree& tree, std::ostream& out)
{
    out << "<details><summary>" << title << " (" << tree.entries.size()
        << " entries)</summary><pre>";
    string text;
    for (const TreeEntry& entry : tree.entries) {
        append_html_escaped(text, entry.path);
        if (entry.folder) {
            text += '\\';
        } else {
            text += "  ";
            append_html_escaped(text, entry.digest.value_or("Can't read file..."));
        }
        text += '\n';
    }
    for (const TreeNote& note : tree.notes) {
        append_html_escaped(text, note.folder + note.text);
        text += '\n';
    }
    out << text << "</pre></details>\n";
}

void write_echo(const char* title, const EchoedFile& file, std::ostream& out)
{
    out << "<details><summary>" << title << "</summary><pre>";
    if (!file.found)
        out << "File not found...";
    string text;
    std::size_t line = file.first_line;
    for (std::size_t start = 0, end; (end = file.text.find('\n', start)) != string::npos;
         start = end + 1) {
        text += std::to_string(line++);
        text += "  ";
        append_html_escaped(text, std::string_view(file.text).substr(start, end - start));
        text += '\n';
    }
    out << text << "</pre></details>\n";
}

void write_side_by_side(const SideBySide& listing, std::ostream& out)
{
    out << "<details><summary>Side-by-side libraries (" << listing.folders.size()
        << " assemblies)</summary><pre>System dir: " << escaped(listing.windows_directory)
        << '\n';
    if (!listing.winsxs_readable)
        out << "Can't open winsxs directory...\n";
    for (const AssemblyFolder& folder : listing.folders)
        out << escaped(folder.name) << "  "
            << (folder.readable ? std::to_string(folder.files.size()) + " file(s)"
                                : "Can't open")
            << '\n';
    out << "</pre></details>\n";
}

// The deepest indent a registry line gets, then the arrow before a value:
// a value's line starts with one append rather than two.
const std::size_t deepest_indent = 80;
const string indent_then_arrow = string(deepest_indent, ' ') + "  -&gt; ";

void write_registry(const RegistrySection& section, std::ostream& out)
{
    out << "<details><summary>" << section.root << " (" << section.keys.size()
        << " keys)</summary><pre>";
    // The registry is most of a page: its text reuses one buffer, page
    // after page, rather than growing a new one each time.
    thread_local string text;
    text.clear();
    for (const RegistryKey& key : section.keys) {
        const std::size_t indent = 2 * std::min<std::size_t>(key.level, deepest_indent / 2);
        text.append(indent_then_arrow, deepest_indent - indent, indent);
        append_html_escaped(text, key.path);
        text += '\n';
        if (!key.failure.empty()) {
            text.append(indent_then_arrow, deepest_indent - indent, indent);
            append_html_escaped(text, key.failure);
            text += '\n';
        }
        for (const RegistryValue& value : key.values) {
            text.append(indent_then_arrow, deepest_indent - indent, string::npos);
            append_html_escaped(text, value.name);
            text += " = ";
            append_html_escaped_lines(text, value.data);
            text += '\n';
        }
    }
    out << text;
    out << "</pre></details>\n";
}

} // namespace

std::string page_head(const std::string& source)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "style-src 'unsafe-inline'\">"
           "<title>Ravelo inspection: " +
           html_escaped_utf8(source) + "</title>";
}

void write_html(const Inspection& inspection, std::ostream& out)
{
    out << page_head(inspection.source) << "<style>" << page_style
        << "</style></head><body>\n<h1>Ravelo inspection: " << html_escaped_utf8(inspection.source)
        << "</h1>\n";
    if (!inspection.error.empty()) {
        out << "<p class=\"error\">" << escaped(inspection.error) << "</p></body></html>\n";
        return;
    }
    const Report& report = inspection.report;
    out << "<table>\n";
    write_row(out, "Customer", report.customer.name + " <" + report.customer.email + ">");
    write_row(out, "Windows", windows_text(report.windows));
    write_row(out, "Install path", !install_folder(report).empty() ? report.install_path : "(none)");
    write_row(out, "Release", report.files.release.value_or("(no manifest)"));
    out << "</table>\n<h2>Findings</h2>\n";
    if (inspection.findings.empty())
        out << "<p>None.</p>\n";
    for (const Finding& finding : inspection.findings)
        write_finding(finding, out);
    out << "<h2>Sections</h2>\n";
    write_basic_information(report, out);
    write_audited_tree(report, out);
    write_tree("Modules directory", report.modules, out);
    write_echo("dll.xml", report.dll_xml_text, out);
    write_echo("fsx.cfg", report.fsx_cfg_text, out);
    write_side_by_side(report.side_by_side, out);
    for (const RegistrySection& section : report.registry)
        write_registry(section, out);
    out << "</body></html>\n";
}
