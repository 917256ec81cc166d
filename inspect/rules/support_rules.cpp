#include "rules/support_rules.h"

#include "rules/helpers.h"
#include "rules/rules.h"
#include "rules/support_search.h"

namespace {

bool whole(const Tree& tree)
{
    return tree.present && tree.complete && tree.notes.empty();
}

bool whole(const EchoedFile& file)
{
    return file.present && file.complete;
}

bool whole(const SideBySide& listing)
{
    if (!listing.present || !listing.complete || !listing.winsxs_readable)
        return false;
    for (const AssemblyFolder& folder : listing.folders)
        if (!folder.readable)
            return false;
    return true;
}

// The report shows all of the part a condition of this kind reads, so that
// finding no match there means there is none on the machine.
bool shows_whole_part(ConditionKind kind, const Report& report)
{
    switch (kind) {
    case ConditionKind::file:
        return trees_are_meaningful(report) && whole(report.vok) && whole(report.modules) &&
               whole(report.side_by_side);
    case ConditionKind::dll_xml:
        return whole(report.dll_xml_text) &&
               (!report.dll_xml_text.found || report.dll_xml.well_formed);
    case ConditionKind::fsx_cfg: return whole(report.fsx_cfg_text);
    case ConditionKind::registry:
        for (const RegistrySection& section : report.registry)
            if (!section.present || !section.complete)
                return false;
        return true;
    case ConditionKind::windows: return report.windows.present;
    case ConditionKind::assembly: return whole(report.side_by_side);
    default:
        // No file matching is a fact only of a tree listed whole.
        return report.files.release && (matched_release(report) || whole(report.vok));
    }
}

const Match& match_of(const Matches& matches, const Condition& condition)
{
    return matches[static_cast<std::size_t>(condition.kind)][condition.slot];
}

// Some condition of unless surely fails. One the report cannot settle (its
// part cut short or unreadable) fails no more than one that holds, as a
// built-in rule draws no conclusion from what a report does not show.
bool unless_fails(const SupportRule& rule, const Matches& matches, const Report& report)
{
    for (const Condition& condition : rule.unless) {
        const Match& match = match_of(matches, condition);
        if (!match.found && !match.unsure && shows_whole_part(condition.kind, report))
            return true;
    }
    return rule.unless.empty();
}

std::optional<Finding> check_support_rule(const SupportRule& rule, const Matches& matches,
                                          const Report& report)
{
    Finding finding = make_finding(rule.severity, rule.message);
    finding.rule = rule.id;
    for (const Condition& condition : rule.when) {
        const Match& match = match_of(matches, condition);
        if (!match.found)
            return std::nullopt;
        add_evidence(finding, match.line, match.text);
    }
    if (!unless_fails(rule, matches, report))
        return std::nullopt;
    return finding;
}

Finding unchecked_finding(const SupportRules& rules, const Report& report)
{
    Finding finding = make_finding(
        Severity::warning,
        "The config's support rules were not checked against this report: together they "
        "would take too long on it (many patterns that fit most of its items). Give those "
        "rules patterns of fewer ? and more plain characters.");
    finding.rule = support_rules_unchecked;
    add_evidence(finding, 0,
                 std::to_string(rules.list.size()) + " rules, a report of " +
                     std::to_string(report.byte_count) + " bytes");
    return finding;
}

} // namespace

const char* condition_name(ConditionKind kind)
{
    switch (kind) {
    case ConditionKind::file: return "file";
    case ConditionKind::dll_xml: return "dll_xml";
    case ConditionKind::fsx_cfg: return "fsx_cfg";
    case ConditionKind::registry: return "registry";
    case ConditionKind::windows: return "windows";
    case ConditionKind::assembly: return "assembly";
    default: return "release";
    }
}

const Condition& condition_at(const SupportRules& rules, const ConditionPlace& place)
{
    const SupportRule& rule = rules.list[place.rule];
    return (place.unless ? rule.unless : rule.when)[place.position];
}

void index_support_rules(SupportRules& rules)
{
    std::array<std::vector<std::string>, condition_kind_count> pieces;
    for (std::size_t r = 0; r < rules.list.size(); ++r)
        for (const bool unless : {false, true}) {
            std::vector<Condition>& conditions =
                unless ? rules.list[r].unless : rules.list[r].when;
            for (std::size_t k = 0; k < conditions.size(); ++k) {
                const std::size_t kind = static_cast<std::size_t>(conditions[k].kind);
                conditions[k].slot = rules.by_kind[kind].places.size();
                rules.by_kind[kind].places.push_back(ConditionPlace{r, unless, k});
                pieces[kind].push_back(required_piece(conditions[k].pattern.text));
            }
        }
    for (std::size_t kind = 0; kind < condition_kind_count; ++kind)
        rules.by_kind[kind].prefilter = build_prefilter(pieces[kind]);
}

std::vector<Finding> run_support_rules(const Report& report, const Config& config)
{
    Matches matches;
    if (!search_conditions(report, config, matches))
        return {unchecked_finding(config.rules, report)};
    std::vector<Finding> findings;
    for (const SupportRule& rule : config.rules.list)
        if (std::optional<Finding> finding = check_support_rule(rule, matches, report))
            findings.push_back(std::move(*finding));
    return findings;
}
