#include "desk/diff.h"

#include "output/display_text.h"
#include "output/outputs.h"

#include <nlohmann/json.hpp>

namespace {

using std::string;

string or_none(const std::optional<string>& text)
{
    return text ? printable(*text) : "(none)";
}

string side_text(const string& text)
{
    return text.empty() ? "(none)" : printable(text);
}

// What was added or removed has one side; what changed shows both, an
// empty one too, so that neither can be taken for the other.
void write_change_text(const Change& change, std::ostream& out)
{
    out << "  " << change.area << ' ' << change.change;
    if (!change.subject.empty())
        out << ": " << printable(change.subject);
    if (change.change == "added" || change.change == "removed") {
        if (!change.before.empty() || !change.after.empty())
            out << "  " << printable(change.before + change.after);
    } else {
        out << "\n      " << side_text(change.before) << " -> " << side_text(change.after);
    }
    out << '\n';
}

void write_gap_text(const Gap& gap, std::ostream& out)
{
    out << "  " << gap.area;
    if (!gap.subject.empty())
        out << ": " << printable(gap.subject);
    out << '\n';
    if (!gap.old_side.empty())
        out << "      old report: " << gap.old_side << '\n';
    if (!gap.new_side.empty())
        out << "      new report: " << gap.new_side << '\n';
}

void write_findings_text(const ReportDiff& diff, std::ostream& out)
{
    out << "Findings: " << diff.fixed.size() << " fixed, " << diff.found.size() << " new, "
        << diff.still.size() << " still there";
    if (!diff.unsure.empty())
        out << ", " << diff.unsure.size()
            << " unsure (gone, but the new report does not show whole what the rule reads)";
    if (!diff.unseen.empty())
        out << ", " << diff.unseen.size()
            << " unseen before (the old report does not show whole what the rule reads)";
    out << '\n';
    const std::pair<const char*, const std::vector<const Finding*>*> groups[] = {
        {"fixed  ", &diff.fixed},
        {"new    ", &diff.found},
        {"still  ", &diff.still},
        {"unsure ", &diff.unsure},
        {"unseen ", &diff.unseen}};
    for (const auto& [label, findings] : groups)
        for (const Finding* finding : *findings)
            out << "  " << label << finding->rule << ": " << printable(finding->message) << '\n';
}

nlohmann::json text_or_null(const std::optional<string>& text)
{
    return text ? nlohmann::json(to_utf8(*text)) : nlohmann::json(nullptr);
}

nlohmann::json findings_json(const std::vector<const Finding*>& findings)
{
    nlohmann::json list = nlohmann::json::array();
    for (const Finding* finding : findings)
        list.push_back({{"rule", finding->rule},
                        {"severity", severity_name(finding->severity)},
                        {"message", to_utf8(finding->message)}});
    return list;
}

nlohmann::json change_json(const Change& change)
{
    return {{"area", change.area},
            {"change", change.change},
            {"subject", to_utf8(change.subject)},
            {"before", to_utf8(change.before)},
            {"after", to_utf8(change.after)}};
}

nlohmann::json gap_json(const Gap& gap)
{
    const auto side = [](const string& why) {
        return why.empty() ? nlohmann::json(nullptr) : nlohmann::json(why);
    };
    return {{"area", gap.area},
            {"subject", to_utf8(gap.subject)},
            {"old", side(gap.old_side)},
            {"new", side(gap.new_side)}};
}

string dumped(const nlohmann::json& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Changes and gaps may be millions: each is written as it is made rather
// than all held once more as one document.
template <typename Item>
void write_json_array(const std::vector<Item>& items, nlohmann::json (*item_json)(const Item&),
                      std::ostream& out)
{
    out << '[';
    for (std::size_t i = 0; i < items.size(); ++i)
        out << (i ? "," : "") << dumped(item_json(items[i]));
    out << ']';
}

} // namespace

void write_diff_text(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out)
{
    out << "Old       " << printable_utf8(old_one.source) << "\nNew       "
        << printable_utf8(new_one.source) << "\nRelease   " << or_none(diff.release_before)
        << " -> " << or_none(diff.release_after) << "\n\n";
    write_findings_text(diff, out);
    out << '\n' << diff.changes.size() << " change(s) in the installation\n";
    for (const Change& change : diff.changes)
        write_change_text(change, out);
    if (diff.gaps.empty())
        return;
    out << "\nNot comparable (what a report does not show there is not taken as added or "
           "removed):\n";
    for (const Gap& gap : diff.gaps)
        write_gap_text(gap, out);
}

// The keys in the order of a whole document's dump, sorted.
void write_diff_json(const Inspection& old_one, const Inspection& new_one,
                     const ReportDiff& diff, std::ostream& out)
{
    const nlohmann::json findings = {{"fixed", findings_json(diff.fixed)},
                                     {"new", findings_json(diff.found)},
                                     {"still", findings_json(diff.still)},
                                     {"unsure", findings_json(diff.unsure)},
                                     {"unseen", findings_json(diff.unseen)}};
    const nlohmann::json release = {{"before", text_or_null(diff.release_before)},
                                    {"after", text_or_null(diff.release_after)}};
    out << "{\"changes\":";
    write_json_array(diff.changes, change_json, out);
    out << ",\"findings\":" << dumped(findings) << ",\"new\":" << dumped(new_one.source)
        << ",\"not_comparable\":";
    write_json_array(diff.gaps, gap_json, out);
    out << ",\"old\":" << dumped(old_one.source) << ",\"release\":" << dumped(release) << "}\n";
}
