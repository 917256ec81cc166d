#include "rules/support_search.h"

#include "report/config_files.h"
#include "rules/helpers.h"

namespace {

using Pieces = std::initializer_list<std::string_view>;

// Word operations left for matching in full. Each item is read once by the
// prefilter whatever the rules; but a file of many patterns whose pieces
// are in nearly every item (HKEY_ and a run of ?) would have each of them
// read in full, hundreds of times: minutes for a large report. Past the
// budget the rules are left unchecked, and a finding says so.
struct Budget {
    std::uint64_t left;
    bool spent = false;
};

std::uint64_t budget_for(const Report& report)
{
    return 64 * std::uint64_t(report.byte_count) + (std::uint64_t(1) << 26);
}

// One kind's conditions sought together through the report's items of
// that kind, each item read once by the prefilter; a condition is matched
// in full only against the items that hold its piece, until it has a match.
struct Search {
    const SupportRules& rules;
    const ConditionsOfKind& kind;
    std::vector<Match>& matches;  // by slot
    std::size_t open;             // slots still without a match
    Budget& budget;
    PrefilterHits hits;
};

// Pays for an attempt that read so many bytes (an attempt itself costs
// about eight word operations); false once the budget is spent, which
// ends the search.
bool charge(Search& search, const Wildcard& pattern, std::size_t bytes)
{
    const std::uint64_t cost = 8 + std::uint64_t(bytes) * (pattern.length / 64 + 1);
    if (cost <= search.budget.left) {
        search.budget.left -= cost;
        return true;
    }
    search.budget.spent = true;
    search.open = 0;
    return false;
}

const Condition& condition_of(const Search& search, std::uint32_t slot)
{
    return condition_at(search.rules, search.kind.places[slot]);
}

std::string joined(Pieces pieces)
{
    std::string text;
    for (const std::string_view piece : pieces)
        text += piece;
    return text;
}

std::size_t feed_pieces(const Wildcard& pattern, WildcardState& state, Pieces pieces)
{
    std::size_t read = 0;
    for (const std::string_view piece : pieces)
        read += wildcard_feed(pattern, state, piece);
    return read;
}

// Where an item stands in the report; a listed file's digest, checked
// against md5 beside its pattern; the item as its evidence shows it, when
// not as it was matched.
struct Item {
    std::size_t line;
    const std::optional<std::string>* digest = nullptr;
    const std::string* shown = nullptr;
};

void record(Search& search, std::uint32_t slot, const Item& item, Pieces matched)
{
    std::string text = std::string(condition_name(condition_of(search, slot).kind)) + ": " +
                       (item.shown ? *item.shown : joined(matched));
    if (item.digest && *item.digest)
        text += " " + **item.digest;
    search.matches[slot] = Match{true, false, item.line, std::move(text)};
    --search.open;
}

// The pattern fitted: the file's digest decides, when md5 is given.
void take_fit(Search& search, std::uint32_t slot, const Item& item, Pieces matched)
{
    const std::optional<std::string>& md5 = condition_of(search, slot).md5;
    if (md5 && item.digest && !*item.digest)
        search.matches[slot].unsure = true;
    else if (!md5 || (item.digest && same_text(**item.digest, *md5)))
        record(search, slot, item, matched);
}

template <typename Try>
void for_each_candidate(const Search& search, const PrefilterHits& hits, Try attempt)
{
    for (const std::uint32_t slot : hits.patterns)
        if (!search.matches[slot].found && !search.budget.spent)
            attempt(slot);
    for (const std::uint32_t slot : search.kind.prefilter.always)
        if (!search.matches[slot].found && !search.budget.spent)
            attempt(slot);
}

std::size_t length_of(Pieces pieces)
{
    std::size_t length = 0;
    for (const std::string_view piece : pieces)
        length += piece.size();
    return length;
}

// Matches in full the conditions whose piece the prefilter found.
void consider_hits(Search& search, Pieces pieces, const Item& item)
{
    const std::size_t length = length_of(pieces);
    for_each_candidate(search, search.hits, [&](std::uint32_t slot) {
        const Wildcard& pattern = condition_of(search, slot).pattern;
        if (!wildcard_fits_length(pattern, length))
            return (void)charge(search, pattern, 0);
        WildcardState state;
        if (charge(search, pattern, feed_pieces(pattern, state, pieces)) &&
            wildcard_accepts(pattern, state))
            take_fit(search, slot, item, pieces);
    });
}

void consider(Search& search, Pieces pieces, const Item& item)
{
    prefilter_restart(search.kind.prefilter, search.hits);
    for (const std::string_view piece : pieces)
        prefilter_feed(search.kind.prefilter, search.hits, piece);
    consider_hits(search, pieces, item);
}

void search_files(Search& search, const std::string& top, const std::vector<TreeEntry>& files)
{
    for (const TreeEntry& file : files)
        if (!file.folder && search.open)
            consider(search, {top, "\\", file.path}, Item{file.line, &file.digest});
}

void search_files(Search& search, const Report& report, const Config& config)
{
    // Without a whole install path the trees were listed from elsewhere.
    if (trees_are_meaningful(report)) {
        search_files(search, config.addon_name, report.vok.entries);
        search_files(search, "Modules", report.modules.entries);
    }
    for (const AssemblyFolder& folder : report.side_by_side.folders)
        search_files(search, folder.name, folder.files);
}

void search_dll_xml(Search& search, const Report& report)
{
    if (!report.dll_xml.well_formed)
        return;
    for (const Addon& addon : report.dll_xml.addons)
        if (!addon.disabled && search.open) {
            const std::string normalised = normalised_path(addon.path, report);
            consider(search, {normalised}, Item{addon.line, nullptr, &addon.path});
            if (normalised != addon.path)
                consider(search, {addon.path}, Item{addon.line});
        }
}

void search_fsx_cfg(Search& search, const Report& report)
{
    for (const IniEntry& entry : report.fsx_cfg.entries) {
        const char* equals = entry.has_value ? "=" : "";
        if (search.open)
            consider(search, {entry.section, "/", entry.key, equals, entry.value}, Item{entry.line});
    }
}

// The values of a key: the prefilter and each candidate's matching go on
// from where the key's path (and a backslash) left them, so a long path is
// read once however many values follow it.
struct KeyValues {
    std::uint32_t filter_state;
    PrefilterHits hits;
    std::vector<WildcardState> states;  // by slot, for the key's candidates
    std::vector<std::uint32_t> state_serial;
};

const WildcardState& state_after_key(Search& search, KeyValues& values, std::uint32_t slot,
                                     const RegistryKey& key)
{
    if (values.state_serial[slot] != search.hits.serial) {
        const Wildcard& pattern = condition_of(search, slot).pattern;
        values.state_serial[slot] = search.hits.serial;
        values.states[slot] = WildcardState();
        charge(search, pattern, feed_pieces(pattern, values.states[slot], {key.path, "\\"}));
    }
    return values.states[slot];
}

void consider_value(Search& search, KeyValues& values, const RegistryKey& key,
                    const RegistryValue& value)
{
    prefilter_restart(search.kind.prefilter, values.hits);
    values.hits.state = values.filter_state;
    for (const std::string_view piece : {std::string_view(value.name), std::string_view("="),
                                         std::string_view(value.data)})
        prefilter_feed(search.kind.prefilter, values.hits, piece);
    const std::size_t length = key.path.size() + value.name.size() + value.data.size() + 2;
    const auto attempt = [&](std::uint32_t slot) {
        const Wildcard& pattern = condition_of(search, slot).pattern;
        if (!wildcard_fits_length(pattern, length))
            return (void)charge(search, pattern, 0);
        WildcardState state = state_after_key(search, values, slot, key);
        if (charge(search, pattern, feed_pieces(pattern, state, {value.name, "=", value.data})) &&
            wildcard_accepts(pattern, state))
            take_fit(search, slot, Item{value.line}, {key.path, "\\", value.name, "=", value.data});
    };
    for_each_candidate(search, search.hits, attempt);
    for (const std::uint32_t slot : values.hits.patterns)
        if (search.hits.seen[slot] != search.hits.serial && !search.matches[slot].found &&
            !search.budget.spent)
            attempt(slot);
}

void search_registry(Search& search, const Report& report)
{
    const std::size_t slots = search.kind.places.size();
    KeyValues values{0, {}, std::vector<WildcardState>(slots), std::vector<std::uint32_t>(slots, 0)};
    // A key's path repeats its parent's, and often its sibling's.
    PrefilterTrail trail;
    for (const RegistrySection& section : report.registry)
        for (const RegistryKey& key : section.keys) {
            if (!search.open)
                return;
            prefilter_feed_after(search.kind.prefilter, search.hits, trail, key.path);
            consider_hits(search, {key.path}, Item{key.line});
            prefilter_feed(search.kind.prefilter, search.hits, "\\");
            values.filter_state = search.hits.state;
            for (const RegistryValue& value : key.values)
                if (search.open)
                    consider_value(search, values, key, value);
        }
}

void search_windows(Search& search, const Report& report)
{
    const WindowsVersion& windows = report.windows;
    if (windows.present)
        consider(search, {std::to_string(windows.major) + "." + std::to_string(windows.minor)},
                 Item{windows.version_line});
}

void search_assemblies(Search& search, const Report& report)
{
    for (const AssemblyFolder& folder : report.side_by_side.folders)
        if (search.open)
            consider(search, {folder.name}, Item{folder.line});
}

void search_release(Search& search, const Report& report)
{
    if (const std::string* release = matched_release(report))
        consider(search, {*release}, Item{0});
}

void search_kind(Search& search, ConditionKind kind, const Report& report, const Config& config)
{
    switch (kind) {
    case ConditionKind::file: return search_files(search, report, config);
    case ConditionKind::dll_xml: return search_dll_xml(search, report);
    case ConditionKind::fsx_cfg: return search_fsx_cfg(search, report);
    case ConditionKind::registry: return search_registry(search, report);
    case ConditionKind::windows: return search_windows(search, report);
    case ConditionKind::assembly: return search_assemblies(search, report);
    default: return search_release(search, report);
    }
}

} // namespace

const std::string* matched_release(const Report& report)
{
    if (report.files.release)
        for (const AuditedFile& file : report.files.files)
            if (file.status == FileStatus::ok)
                return &*report.files.release;
    return nullptr;
}

bool search_conditions(const Report& report, const Config& config, Matches& matches)
{
    const SupportRules& rules = config.rules;
    Budget budget{budget_for(report)};
    for (const ConditionKind kind : condition_kinds) {
        const ConditionsOfKind& conditions = rules.by_kind[static_cast<std::size_t>(kind)];
        std::vector<Match>& found = matches[static_cast<std::size_t>(kind)];
        found.resize(conditions.places.size());
        Search search{rules, conditions, found, found.size(), budget, {}};
        if (search.open && !budget.spent)
            search_kind(search, kind, report, config);
    }
    return !budget.spent;
}
