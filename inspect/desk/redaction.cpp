#include "desk/redaction.h"
#include "desk/redaction_parts.h"
#include "desk/word_matcher.h"

#include "output/display_text.h"
#include "report/config_files.h"
#include "report/lines.h"
#include "report/parser.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace {

// The parts of a report that are read by their own rules: the copies of
// dll.xml and fsx.cfg, and the side-by-side listing the rules compare.
enum class LineKind { plain, dll_xml, fsx_cfg, side_by_side };

// A copy saved as Unicode: its byte order, and the parity of the report's
// offsets its units start at.
struct Utf16Copy {
    bool big_endian = false;
    std::size_t parity = 0;
};

struct Regions {
    Span customer, dll_xml, fsx_cfg;  // line indices
    std::size_t windows_version = 0;  // line index + 1; 0: none
    bool dll_xml_utf16 = false, fsx_cfg_utf16 = false;
    Utf16Copy dll_xml_copy, fsx_cfg_copy;
    std::vector<std::size_t> side_by_side;  // line indices, sorted
};

Span copy_lines(const EchoedFile& file)
{
    if (!file.found)
        return {0, 0};
    const std::size_t begin = file.first_line - 1;
    return {begin, begin + std::count(file.text.begin(), file.text.end(), '\n')};
}

bool is_utf16_copy(const EchoedFile& file)
{
    for (std::string_view start : {std::string_view("\xFF\xFE"), std::string_view("\xFE\xFF"),
                                   std::string_view("<\0", 2), std::string_view("\0<", 2)})
        if (file.text.compare(0, 2, start) == 0)
            return true;
    return false;
}

bool is_big_endian_copy(const EchoedFile& file)
{
    return file.text.compare(0, 2, "\xFE\xFF") == 0 ||
           file.text.compare(0, 2, std::string_view("\0<", 2)) == 0;
}

Regions regions_of(std::string_view text, const Report& report)
{
    Regions regions;
    regions.customer = customer_lines(text, report);
    if (report.windows.present)
        regions.windows_version = report.windows.version_line;
    regions.dll_xml = copy_lines(report.dll_xml_text);
    regions.fsx_cfg = copy_lines(report.fsx_cfg_text);
    regions.dll_xml_utf16 = is_utf16_copy(report.dll_xml_text);
    regions.fsx_cfg_utf16 = is_utf16_copy(report.fsx_cfg_text);
    regions.dll_xml_copy.big_endian = is_big_endian_copy(report.dll_xml_text);
    regions.fsx_cfg_copy.big_endian = is_big_endian_copy(report.fsx_cfg_text);
    for (const AssemblyFolder& folder : report.side_by_side.folders) {
        regions.side_by_side.push_back(folder.line - 1);
        for (const TreeEntry& file : folder.files)
            regions.side_by_side.push_back(file.line - 1);
    }
    std::sort(regions.side_by_side.begin(), regions.side_by_side.end());
    return regions;
}

// The OS version line and the service pack line after it, which Windows
// and the reporter's table of names write: nothing of them is the customer's.
bool is_windows_line(const Regions& regions, std::size_t at, std::string_view line)
{
    return regions.windows_version &&
           (at + 1 == regions.windows_version ||
            (at == regions.windows_version && starts_with(line, "Service pack:        ")));
}

bool inside(Span span, std::size_t at)
{
    return at >= span.begin && at < span.end;
}

// Sorted and joined where they touch, so that overlaps_any can search them:
// a long line of dll.xml holds markup in every few bytes.
void make_disjoint(std::vector<Span>& spans)
{
    std::sort(spans.begin(), spans.end(), [](Span a, Span b) { return a.begin < b.begin; });
    std::size_t kept = 0;
    for (const Span span : spans) {
        if (kept > 0 && span.begin <= spans[kept - 1].end)
            spans[kept - 1].end = std::max(spans[kept - 1].end, span.end);
        else
            spans[kept++] = span;
    }
    spans.resize(kept);
}

// Whether span overlaps one of spans, which make_disjoint made so.
bool overlaps_any(const std::vector<Span>& spans, Span span)
{
    const auto after = std::upper_bound(spans.begin(), spans.end(), span.begin,
                                        [](std::size_t at, Span s) { return at < s.end; });
    return after != spans.end() && after->begin < span.end;
}

char upper_case(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
        return static_cast<char>(byte - 0x20);
    switch (byte) {
    case 0x9A: case 0x9C: case 0x9E: return static_cast<char>(byte - 0x10);
    case 0xFF: return '\x9F';
    default: return c;
    }
}

std::string upper_text(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = upper_case(c);
    return upper;
}

std::string utf16(std::string_view ascii, bool big_endian)
{
    std::string out;
    for (char c : ascii) {
        out += big_endian ? '\0' : c;
        out += big_endian ? c : '\0';
    }
    return out;
}

// An MD5 digest, as the listings give each file's; a longer run of hex
// letters is none, and may be a name.
bool is_digest_word(std::string_view word)
{
    return word.size() == 32 &&
           word.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

// A section heading of fsx.cfg, as the simulator reads one.
bool is_heading(std::string_view line)
{
    const std::size_t begin = line.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos)
        return false;
    const std::size_t last = line.find_last_not_of(" \t\r");
    return last > begin && line[begin] == '[' && line[last] == ']';
}

// The bytes of a line that its reader parses by: the layout's prefix, and
// in fsx.cfg the '=' after a key and the key's last '.', before the hash of
// a [Trusted] entry.
void structure_of(std::string_view line, LineKind kind, std::vector<Span>& kept)
{
    kept.assign(1, {0, layout_prefix(line)});
    if (kind != LineKind::fsx_cfg)
        return;
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos)
        kept.push_back({equals, equals + 1});
    const std::size_t dot = equals == 0 ? std::string_view::npos : line.rfind('.', equals - 1);
    if (dot != std::string_view::npos)
        kept.push_back({dot, dot + 1});
}

// A line as the matcher reads it: the line's bytes, or its UTF-16 units
// narrowed to bytes, unit i standing at byte first + i * step; where dll.xml
// spells characters as references, text has them decoded and at tells which
// unit each of its bytes started at (decoded_references).
struct View {
    std::string_view text;
    std::size_t first, step;
    bool big_endian;
    const std::vector<std::size_t>* at = nullptr;
    bool finds_folders = true;

    std::size_t byte_of(std::size_t index) const
    {
        return first + step * (at ? (*at)[index] : index);
    }
    // The index of the view's text that unit stands at (or follows).
    std::size_t index_of(std::size_t unit) const
    {
        return at ? std::lower_bound(at->begin(), at->end(), unit) - at->begin() : unit;
    }
};

// A placeholder, written as the view read the text it replaces: a line may
// take millions of them, so each refers to the redactor's own.
struct Replacement {
    std::size_t begin, end;
    const std::string* text;
    std::uint32_t found;  // the order it was found in, which breaks ties
    bool utf16, big_endian;
};

class Redactor {
public:
    // text_has_nul: whether any line may hold UTF-16 text.
    Redactor(const PersonalData& data, std::unordered_set<std::string> words, bool text_has_nul);
    // offset: of the line in the report, whose parity tells UTF-16's.
    void redact_line(std::string_view line, std::size_t offset, LineKind kind,
                     const Utf16Copy* copy, std::string& out);
    void start_dll_xml();

private:
    void redact_view(const View& view, XmlPlace* markup);
    // A view of dll.xml's text with its references decoded, where it holds any.
    void redact_xml_view(const View& view, XmlPlace* markup);
    bool kept_word(std::string_view text, std::size_t begin, std::size_t end) const;
    std::vector<Span> pieces(std::string_view text, WordMatcher::Match match,
                             const std::vector<Span>& hard) const;

    WordMatcher matcher_;
    std::vector<std::string> placeholders_;  // by the matcher's tag
    std::unordered_set<std::string> words_;
    std::vector<std::string> roots_;
    const std::vector<std::string> no_roots_;
    std::unordered_map<std::string, std::string> users_;  // placeholders by folded name
    const std::string unknown_user_ = redacted_user_text;
    // dll.xml's markup as read in the line's bytes and in UTF-16 (either
    // byte order) at even and at odd offsets of the report.
    XmlPlace markup_[5] = {XmlPlace::text, XmlPlace::text, XmlPlace::text, XmlPlace::text,
                           XmlPlace::text};
    bool text_has_nul_;
    // The current line's: bytes its reader parses by, stretches of the view
    // read that must stay, replacements found; kept from line to line.
    std::vector<Span> kept_bytes_, hard_;
    std::vector<Replacement> found_;
    std::string decoded_;
    std::vector<std::size_t> decoded_at_;
};

Redactor::Redactor(const PersonalData& data, std::unordered_set<std::string> words,
                   bool text_has_nul)
    : words_(std::move(words)), roots_(data.profile_roots), text_has_nul_(text_has_nul)
{
    for (const auto& [folder, placeholder] : data.profiles)
        users_.emplace(folded_text(folder), placeholder);
    for (const auto& [text, placeholder] : data.texts) {
        const std::size_t tag = placeholders_.size();
        placeholders_.push_back(placeholder);
        matcher_.add(text, tag);
        // As UTF-8 too, in the case it has and in either case: Windows
        // compares names without regard to it.
        if (to_utf8(text) != text)
            for (const std::string& form : {std::string(text), folded_text(text), upper_text(text)})
                matcher_.add(to_utf8(form), tag);
    }
    matcher_.build();
}

void Redactor::start_dll_xml()
{
    for (XmlPlace& place : markup_)
        place = XmlPlace::text;
}

// Words the installation uses, drive letters and digests stay, whatever
// text they are part of.
bool Redactor::kept_word(std::string_view text, std::size_t begin, std::size_t end) const
{
    const std::string_view word = text.substr(begin, end - begin);
    if (is_digest_word(word) || (word.size() == 1 && end < text.size() && text[end] == ':'))
        return true;
    return words_.count(folded_text(word)) > 0;
}

// The runs of a match's words that may be replaced, each with the
// separators between its words; markup and kept words end a run.
std::vector<Span> Redactor::pieces(std::string_view text, WordMatcher::Match match,
                                   const std::vector<Span>& hard) const
{
    std::vector<Span> runs;
    bool open = false;
    for (std::size_t i = match.begin; i < match.end;) {
        const bool word = is_word_byte(static_cast<unsigned char>(text[i]));
        std::size_t end = i;
        while (end < match.end && is_word_byte(static_cast<unsigned char>(text[end])) == word)
            ++end;
        const Span token{i, end};
        const bool hard_token = overlaps_any(hard, token);
        if (word) {
            const bool free = !hard_token && !kept_word(text, i, end);
            if (free && open)
                runs.back().end = end;
            else if (free)
                runs.push_back(token);
            open = free;
        } else if (hard_token) {
            open = false;
        }
        i = end;
    }
    return runs;
}

void Redactor::redact_view(const View& view, XmlPlace* markup)
{
    std::vector<Span>& hard = hard_;
    hard.clear();
    for (const Span bytes : kept_bytes_)
        if (bytes.end > view.first)
            hard.push_back(
                {view.index_of(bytes.begin > view.first ? (bytes.begin - view.first) / view.step : 0),
                 view.index_of((bytes.end - view.first + view.step - 1) / view.step)});
    if (markup)
        for (const Span span : markup_of(view.text, *markup))
            hard.push_back(span);
    make_disjoint(hard);
    const auto add = [&](Span span, const std::string& placeholder) {
        found_.push_back({view.byte_of(span.begin), view.byte_of(span.end), &placeholder,
                          static_cast<std::uint32_t>(found_.size()), view.step == 2,
                          view.big_endian});
    };
    for (const Span folder : profile_folders(view.text, view.finds_folders ? roots_ : no_roots_)) {
        if (overlaps_any(hard, folder))
            continue;
        const std::string_view name = view.text.substr(folder.begin, folder.end - folder.begin);
        auto user = users_.find(folded_text(name));
        if (user == users_.end())
            user = users_.find(folded_text(ansi_name(name)));
        add(folder, user == users_.end() ? unknown_user_ : user->second);
    }
    for (const WordMatcher::Match match : matcher_.find(view.text))
        for (const Span piece : pieces(view.text, match, hard))
            add(piece, placeholders_[match.tag]);
}

void Redactor::redact_xml_view(const View& view, XmlPlace* markup)
{
    if (!markup || view.text.find("&#") == std::string_view::npos) {
        redact_view(view, markup);
        return;
    }
    decoded_ = decoded_references(view.text, decoded_at_);
    redact_view({decoded_, view.first, view.step, view.big_endian, &decoded_at_, view.finds_folders},
                markup);
}

void write_replaced(std::string_view line, const std::vector<Replacement>& replacements,
                    bool parenthesised, std::string& out)
{
    std::size_t copied = 0;
    for (const Replacement& replacement : replacements) {
        out.append(line.substr(copied, replacement.begin - copied));
        std::string text =
            replacement.utf16 ? utf16(*replacement.text, replacement.big_endian) : *replacement.text;
        if (parenthesised) {
            std::replace(text.begin(), text.end(), '[', '(');
            std::replace(text.begin(), text.end(), ']', ')');
        }
        out += text;
        copied = replacement.end;
    }
    out.append(line.substr(copied));
}

// The replacements put in order, none overlapping another; of two that
// start together the longer, which a decoded view may find (Ada%20Lovelace
// whole where the bytes show Ada alone).
void order(std::vector<Replacement>& found)
{
    std::sort(found.begin(), found.end(), [](const Replacement& a, const Replacement& b) {
        if (a.begin != b.begin)
            return a.begin < b.begin;
        return a.end != b.end ? a.end > b.end : a.found < b.found;
    });
    std::size_t kept = 0;
    for (const Replacement& replacement : found)
        if (kept == 0 || replacement.begin >= found[kept - 1].end)
            found[kept++] = replacement;
    found.resize(kept);
}

void Redactor::redact_line(std::string_view line, std::size_t offset, LineKind kind,
                           const Utf16Copy* copy, std::string& out)
{
    // The side-by-side listing is the machine's, whose names the rules read.
    if (is_layout_line(line) || kind == LineKind::side_by_side) {
        out.append(line);
        return;
    }
    structure_of(line, kind, kept_bytes_);
    XmlPlace* markup = kind == LineKind::dll_xml ? markup_ : nullptr;
    found_.clear();
    const bool has_nul = text_has_nul_ && line.find('\0') != std::string_view::npos;
    if (!copy || !has_nul) {
        redact_xml_view({line, 0, 1, false}, markup);
        if (!markup && has_percent_escape(line)) {
            decoded_ = percent_decoded(line, decoded_at_);
            redact_view({decoded_, 0, 1, false, &decoded_at_}, nullptr);
        }
        // Beside a NUL, a letter is UTF-16's, which the views below read.
        if (has_nul)
            found_.erase(std::remove_if(found_.begin(), found_.end(),
                                        [&](const Replacement& r) {
                                            return (r.begin > 0 && line[r.begin - 1] == '\0') ||
                                                   (r.end < line.size() && line[r.end] == '\0');
                                        }),
                         found_.end());
    }
    if (has_nul)
        for (bool big_endian : {false, true})
            for (std::size_t first : {0, 1}) {
                const std::string narrow = narrowed_utf16(line, first, big_endian);
                XmlPlace& place = markup_[1 + 2 * big_endian + (offset + first) % 2];
                // In a copy saved as Unicode only its own reading finds
                // folders: another reads a letter past Latin-1 as units that
                // swallow the separator after it (\Пётр\Documents).
                const bool own = !copy || (big_endian == copy->big_endian &&
                                           (offset + first) % 2 == copy->parity);
                redact_xml_view({narrow, first, 2, big_endian, nullptr, own},
                                markup ? &place : nullptr);
            }
    if (found_.empty()) {
        out.append(line);
        return;
    }
    order(found_);
    const std::size_t start = out.size();
    write_replaced(line, found_, false, out);
    // A placeholder's brackets would make fsx.cfg read a section heading.
    if (kind == LineKind::fsx_cfg &&
        is_heading(std::string_view(out).substr(start)) != is_heading(line)) {
        out.resize(start);
        write_replaced(line, found_, true, out);
    }
}

void redact_customer_line(std::string_view line, std::size_t filled, std::string& out)
{
    std::size_t value_at = 0;
    const CustomerField field = customer_field(line, filled, value_at);
    std::string_view value = line.substr(std::min(value_at, line.size()));
    if (is_layout_line(line) || value.find_first_not_of(" \t\r") == std::string_view::npos) {
        out.append(line);
        return;
    }
    out.append(line.substr(0, value_at));
    out += placeholder_of(field);
    if (line.back() == '\r')
        out += '\r';
}

LineKind kind_of(const Regions& regions, std::size_t line, const Utf16Copy*& copy)
{
    copy = nullptr;
    if (inside(regions.dll_xml, line)) {
        copy = regions.dll_xml_utf16 ? &regions.dll_xml_copy : nullptr;
        return LineKind::dll_xml;
    }
    if (inside(regions.fsx_cfg, line)) {
        copy = regions.fsx_cfg_utf16 ? &regions.fsx_cfg_copy : nullptr;
        return LineKind::fsx_cfg;
    }
    return std::binary_search(regions.side_by_side.begin(), regions.side_by_side.end(), line)
               ? LineKind::side_by_side
               : LineKind::plain;
}

} // namespace

std::string redacted_report(std::string_view report_text, const PersonalData& data,
                            const Config& config)
{
    const Report report = parse_report_layout(report_text);
    Regions regions = regions_of(report_text, report);
    Redactor redactor(data, installation_words(config),
                      report_text.find('\0') != std::string_view::npos);
    std::string out;
    out.reserve(report_text.size() + report_text.size() / 8);
    std::size_t customer_filled = 0;
    for_each_line(report_text, [&](std::string_view line, std::size_t i) {
        if (inside(regions.customer, i)) {
            redact_customer_line(line, customer_filled, out);
            customer_filled += !is_blank_line(line);
        } else if (is_windows_line(regions, i, line)) {
            out.append(line);
        } else {
            const std::size_t offset = line.data() - report_text.data();
            if (i == regions.dll_xml.begin) {
                redactor.start_dll_xml();
                regions.dll_xml_copy.parity = offset % 2;
            }
            if (i == regions.fsx_cfg.begin)
                regions.fsx_cfg_copy.parity = offset % 2;
            const Utf16Copy* copy = nullptr;
            const LineKind kind = kind_of(regions, i, copy);
            redactor.redact_line(line, offset, kind, copy, out);
        }
        if (line.data() + line.size() < report_text.data() + report_text.size())
            out += '\n';
        return true;
    });
    return out;
}

std::string redacted_text(std::string_view text, const PersonalData& data)
{
    Redactor redactor(data, installation_words(Config{}), text.find('\0') != std::string_view::npos);
    std::string out;
    for_each_line(text, [&](std::string_view line, std::size_t) {
        redactor.redact_line(line, line.data() - text.data(), LineKind::plain, nullptr, out);
        if (line.data() + line.size() < text.data() + text.size())
            out += '\n';
        return true;
    });
    return out;
}
