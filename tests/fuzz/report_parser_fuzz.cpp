// ravelo-inspect on any text: the report parser with its dll.xml and
// fsx.cfg readers, the file audit, every rule and every output format. A
// customer's report is untrusted input; none of this may crash on it. The
// support desk's tools too: redaction, the overview and the diff; and
// redaction, whatever the text, must leave the same findings.
#include "audit/config.h"
#include "audit/manifest.h"
#include "desk/diff.h"
#include "desk/inspection.h"
#include "desk/redaction.h"
#include "output/outputs.h"
#include "output/overview.h"
#include "report/parser.h"
#include "rules/rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

const Config& example_config()
{
    static const Config config = [] {
        Config loaded;
        std::string error;
        if (!load_config(RAVELO_SOURCE_DIR "/tests/golden/inspect/ravelo-inspect.toml", loaded,
                         error))
            std::abort();
        return loaded;
    }();
    return config;
}

Inspection inspected(std::string_view text)
{
    Inspection inspection;
    inspection.source = "fuzz.dat";
    inspection.report = parse_report(text);
    inspection.report.files = audit_files(inspection.report, example_config());
    inspection.findings = run_rules(inspection.report, example_config());
    return inspection;
}

// What a diagnosis rests on: each finding's rule, severity and lines.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Inspection inspection = inspected(text);
    std::ostringstream out;
    write_text(inspection, out);
    write_json(inspection, out);
    write_html(inspection, out);
    write_summary_row(inspection, out);
    write_summary_json(inspection, out);
    const std::string redacted =
        redacted_report(text, find_personal_data(text), example_config());
    const Inspection shared = inspected(redacted);
    if (diagnosis(shared) != diagnosis(inspection) ||
        std::count(redacted.begin(), redacted.end(), '\n') !=
            std::count(text.begin(), text.end(), '\n'))
        std::abort();
    write_diff_text(inspection, shared, diff_reports(inspection, shared), out);
    write_diff_json(shared, inspection, diff_reports(shared, inspection), out);
    write_overview({overview_row(inspection, "a.html"), overview_row(shared, "b.html")}, out);
    return 0;
}
