#include "report/parser.h"

#include "report/config_files.h"
#include "report/lines.h"
#include "tools/report_shape.h"

#include <algorithm>
#include <string>

namespace {

template <typename Part>
void mark_part(Part& part, bool complete)
{
    part.present = true;
    part.complete = complete;
}

// The report's sections in order (their banners' titles are
// section_title_lines): the name messages give each, the parser of its
// body, how its part of the model is marked present, and damaged. An
// echoed file tells its completeness itself, from its closing lines.
// copies_text: the body holds text from elsewhere (the customer's words, a
// copied file), which may hold any line, a banner's too.
struct Section {
    const char* name;
    bool copies_text;
    std::size_t (*parse)(const BodyLines&, Report&);
    void (*mark_present)(Report&, bool complete);
    void (*mark_damaged)(Report&);
};

const Section sections[section_count] = {
    {"Basic information", true, parse_basic_information, [](Report&, bool) {}, [](Report&) {}},
    {"Vok directory", false,
     [](const BodyLines& b, Report& r) { return parse_tree(b, r.vok, r); },
     [](Report& r, bool complete) { mark_part(r.vok, complete); },
     [](Report& r) { r.vok.damaged = true; }},
    {"Modules directory", false,
     [](const BodyLines& b, Report& r) { return parse_tree(b, r.modules, r); },
     [](Report& r, bool complete) { mark_part(r.modules, complete); },
     [](Report& r) { r.modules.damaged = true; }},
    {"dll.xml", true,
     [](const BodyLines& b, Report& r) { return parse_echo(b, "dll.xml", r.dll_xml_text, r); },
     [](Report& r, bool) { r.dll_xml_text.present = true; },
     [](Report& r) { r.dll_xml_text.damaged = true; }},
    {"fsx.cfg", true,
     [](const BodyLines& b, Report& r) { return parse_echo(b, "fsx.cfg", r.fsx_cfg_text, r); },
     [](Report& r, bool) { r.fsx_cfg_text.present = true; },
     [](Report& r) { r.fsx_cfg_text.damaged = true; }},
    {"Side by side libraries", false,
     [](const BodyLines& b, Report& r) { return parse_side_by_side(b, r.side_by_side, r); },
     [](Report& r, bool complete) { mark_part(r.side_by_side, complete); },
     [](Report& r) { r.side_by_side.damaged = true; }},
    {"HKEY_LOCAL_MACHINE", false,
     [](const BodyLines& b, Report& r) { return parse_registry(b, r.registry[0], r); },
     [](Report& r, bool complete) { mark_part(r.registry[0], complete); },
     [](Report& r) { r.registry[0].damaged = true; }},
    {"HKEY_CURRENT_USER", false,
     [](const BodyLines& b, Report& r) { return parse_registry(b, r.registry[1], r); },
     [](Report& r, bool complete) { mark_part(r.registry[1], complete); },
     [](Report& r) { r.registry[1].damaged = true; }},
    {"HKEY_USERS", false,
     [](const BodyLines& b, Report& r) { return parse_registry(b, r.registry[2], r); },
     [](Report& r, bool complete) { mark_part(r.registry[2], complete); },
     [](Report& r) { r.registry[2].damaged = true; }},
};

const std::string_view filler = "*                                                                    *";
const std::string_view border = "**********************************************************************";
const std::string_view install_path_failure = "Can't find FSX registry entry.";
const std::size_t banner_lines = 6;
// Lines keeps 32-bit offsets.
const std::size_t max_report_text = 0xFFFFFFF0u;

// The section whose title the line is, or section_count.
std::size_t title_section(std::string_view line)
{
    if (line.size() != filler.size() || !starts_with(line, "** "))
        return section_count;
    for (std::size_t s = 0; s < section_count; ++s)
        if (line == section_title_lines[s])
            return s;
    return section_count;
}

// The first line in [begin, bound) of a banner damaged past finding: its
// title, or the line before its first other line, which is then its title
// damaged. A body ends there rather than run on into the next section's.
std::size_t broken_banner(const Lines& lines, std::size_t begin, std::size_t bound)
{
    for (std::size_t i = begin; i < bound; ++i) {
        if (title_section(lines[i]) < section_count)
            return i;
        if (lines[i] == filler || lines[i] == border)
            return i > begin && !lines[i - 1].empty() ? i - 1 : i;
    }
    return bound;
}

// A banner at index: its title, then as many of its other five lines as the
// report still holds, so that a banner cut short is still found.
bool banner_follows(const Lines& lines, std::size_t index)
{
    const std::string_view rest[] = {filler, filler, filler, border, ""};
    for (std::size_t k = 0; k < 5 && index + 1 + k < lines.size(); ++k)
        if (lines[index + 1 + k] != rest[k])
            return false;
    return true;
}

struct Banner {
    std::size_t index, section;
};

// The first banner at or after from of a section not before first_section;
// {lines.size(), section_count} when there is none.
Banner next_banner(const Lines& lines, std::size_t from, std::size_t first_section)
{
    for (std::size_t i = from; i < lines.size(); ++i) {
        const std::size_t s = title_section(lines[i]);
        if (s < section_count && s >= first_section && banner_follows(lines, i))
            return {i, s};
    }
    return {lines.size(), section_count};
}

// Lines between a body's end and the next banner should be the empty
// spacing lines; anything else is noted once, with how much there is.
void check_spacing(const Lines& lines, std::size_t from, std::size_t to, Report& report)
{
    std::size_t first = to, stray = 0;
    for (std::size_t i = from; i < to; ++i)
        if (!lines[i].empty()) {
            first = std::min(first, i);
            ++stray;
        }
    if (!stray)
        return;
    const std::size_t s = title_section(lines[first]);
    if (s < section_count)
        note_damage(report, first, std::string("section \"") + sections[s].name +
                                       "\" out of order");
    else
        note_damage(report, first, std::to_string(stray) + " line(s) that fit no part of a report");
}

void note_missing_sections(std::size_t from, std::size_t to, std::size_t index, Report& report)
{
    for (std::size_t s = from; s < to; ++s)
        note_damage(report, index, std::string("section \"") + sections[s].name + "\" missing");
}

// The index of the line that ends a body cut short by the reporter (its last
// line but the spacing), or bound when the body is whole.
std::size_t cut_short_line(const Lines& lines, std::size_t begin, std::size_t bound)
{
    std::size_t last = bound;
    while (last > begin && lines[last - 1].empty())
        --last;
    return last > begin && is_cut_short_line(lines[last - 1]) ? last - 1 : bound;
}

std::size_t damage_count(const Report& report)
{
    return report.damage.size() + report.damage_not_listed;
}

// Stray lines behind a body are lines its parser could not take: the
// section they follow is damaged by them.
void check_spacing_after(const Lines& lines, std::size_t from, std::size_t to,
                         std::size_t section, Report& report)
{
    const std::size_t before = damage_count(report);
    check_spacing(lines, from, to, report);
    if (section < section_count && damage_count(report) > before)
        sections[section].mark_damaged(report);
}

// A report ends with a line feed; one that ends without was cut inside its
// last line, whose text is then no more to be trusted than damage.
void check_last_line(const Lines& lines, std::size_t section, Report& report)
{
    report.last_line_cut = lines.last_line_unended();
    if (report.last_line_cut && section < section_count)
        sections[section].mark_damaged(report);
}

// The add-on's and Modules trees and the registry sections: all that a
// layout-only parse leaves unread, and most of a large report's lines.
bool is_listing(std::size_t section)
{
    return section == 1 || section == 2 || section >= 6;
}

void parse_sections(const Lines& lines, std::size_t pos, Report& report, bool layout_only)
{
    std::size_t expected = 0;
    std::size_t previous = section_count;  // the last section read
    while (expected < section_count) {
        const Banner banner = next_banner(lines, pos, expected);
        if (banner.section == section_count) {
            if (expected == 0) {
                note_damage(report, 0, "no Ravelo report: no section banner found");
                return;
            }
            check_spacing_after(lines, pos, lines.size(), previous, report);
            check_last_line(lines, previous, report);
            note_damage(report, lines.size() ? lines.size() - 1 : 0,
                        "the report ends early");
            note_missing_sections(expected, section_count, lines.size() ? lines.size() - 1 : 0,
                                  report);
            return;
        }
        check_spacing_after(lines, pos, banner.index, previous, report);
        note_missing_sections(expected, banner.section, banner.index, report);
        const std::size_t begin = std::min(banner.index + banner_lines, lines.size());
        const Section& section = sections[banner.section];
        std::size_t bound = next_banner(lines, begin, banner.section + 1).index;
        if (!section.copies_text)
            bound = broken_banner(lines, begin, bound);
        // The last section runs to the end of the report: nothing but a
        // banner cut short shows a cut.
        const bool banner_whole = banner.index + banner_lines <= lines.size();
        const bool last = banner.section + 1 == section_count;
        const std::size_t cut = cut_short_line(lines, begin, bound);
        section.mark_present(
            report, cut == bound && (bound < lines.size() || (last && banner_whole)));
        const std::size_t damage_before = damage_count(report);
        pos = layout_only && is_listing(banner.section)
                  ? cut
                  : section.parse(BodyLines{lines, begin, cut}, report);
        if (damage_count(report) > damage_before)
            section.mark_damaged(report);
        if (last && !banner_whole)
            note_damage(report, lines.size() - 1, "the report ends early");
        if (cut < bound) {
            note_cut_short(report, cut, lines[cut]);
            pos = std::max(pos, cut + 1);
        }
        expected = banner.section + 1;
        previous = banner.section;
    }
    check_spacing_after(lines, pos, lines.size(), previous, report);
    check_last_line(lines, previous, report);
}

} // namespace

Lines::Lines(std::string_view text) : text_(text)
{
    starts_.reserve(std::count(text.begin(), text.end(), '\n') + 2);
    std::size_t start = 0;
    while (start < text.size()) {
        starts_.push_back(static_cast<std::uint32_t>(start));
        const std::size_t end = text.find('\n', start);
        start = end == std::string_view::npos ? text.size() + 1 : end + 1;
    }
    starts_.push_back(static_cast<std::uint32_t>(std::max<std::size_t>(start, 1)));
}

void note_damage(Report& report, std::size_t index, std::string what)
{
    report.damage_lines.push_back(index + 1);
    if (report.damage.size() < max_damage_listed)
        report.damage.push_back(Damage{index + 1, std::move(what)});
    else
        ++report.damage_not_listed;
}

bool is_cut_short_line(std::string_view line)
{
    return starts_with(line, "Section cut short: ") || line == "Can't read file to its end...";
}

void note_cut_short(Report& report, std::size_t index, std::string_view line)
{
    if (report.cut_short.size() < max_damage_listed)
        report.cut_short.push_back(Damage{index + 1, std::string(line)});
}

std::size_t count_tabs(std::string_view line)
{
    std::size_t tabs = 0;
    while (tabs < line.size() && line[tabs] == '\t')
        ++tabs;
    return tabs;
}

bool holds_section_banner(std::string_view text, std::string& error)
{
    if (text.size() < max_report_text &&
        next_banner(Lines(text), 0, 0).section < section_count)
        return true;
    error = "no Ravelo report: no section banner found";
    return false;
}

namespace {

Report parse(std::string_view text, bool layout_only)
{
    Report report;
    if (text.size() >= max_report_text) {
        note_damage(report, 0, "no Ravelo report: larger than any report");
        return report;
    }
    const Lines lines(text);
    report.line_count = lines.size();
    report.byte_count = text.size();
    std::size_t pos = 0;
    if (!lines.empty() && lines[0] == install_path_failure) {
        report.install_path_failure = true;
        pos = 1;
    }
    parse_sections(lines, pos, report, layout_only);
    if (layout_only)
        return report;
    if (report.dll_xml_text.found)
        report.dll_xml = read_dll_xml(report.dll_xml_text);
    if (report.fsx_cfg_text.found)
        report.fsx_cfg = read_fsx_cfg(report.fsx_cfg_text);
    return report;
}

} // namespace

Report parse_report(std::string_view text)
{
    return parse(text, false);
}

Report parse_report_layout(std::string_view text)
{
    return parse(text, true);
}
