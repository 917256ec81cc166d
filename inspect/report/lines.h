#pragma once
#include "report/model.h"

#include <cstdint>
#include <string_view>
#include <vector>

// The report's lines, without their line feeds (a carriage return copied in
// from outside stays). Index i is report line i + 1. A text ending with a
// line feed has no empty last line after it. Four bytes a line, so that a
// text of nothing but line feeds stays within a few times its own size;
// the text must outlive it and be shorter than 4 GiB.
class Lines {
public:
    explicit Lines(std::string_view text);
    std::size_t size() const { return starts_.size() - 1; }
    bool empty() const { return size() == 0; }
    // The text does not end with a line feed.
    bool last_line_unended() const { return !empty() && starts_.back() > text_.size(); }
    std::string_view operator[](std::size_t i) const
    {
        return text_.substr(starts_[i], starts_[i + 1] - 1 - starts_[i]);
    }

private:
    std::string_view text_;
    // Where each line starts, then one past the end of the last line plus
    // its line feed, real or not.
    std::vector<std::uint32_t> starts_;
};

inline bool starts_with(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The lines a section body may use: [begin, bound), bound being the next
// section's banner or the end of the report.
struct BodyLines {
    const Lines& lines;
    std::size_t begin, bound;
};

// Records damage at the line of index (0-based).
void note_damage(Report& report, std::size_t index, std::string what);

// A line by which the reporter says it stopped a section or a copied file
// early; it is recorded in Report::cut_short.
bool is_cut_short_line(std::string_view line);
void note_cut_short(Report& report, std::size_t index, std::string_view line);

// The leading tabs of a line: their count, and the line behind them.
std::size_t count_tabs(std::string_view line);

// Each body parser fills its part of the report from the lines it recognises
// and returns the index of the first line it did not take.
std::size_t parse_basic_information(const BodyLines& body, Report& report);
std::size_t parse_tree(const BodyLines& body, Tree& tree, Report& report);
std::size_t parse_echo(const BodyLines& body, const char* file_name, EchoedFile& file,
                       Report& report);
std::size_t parse_side_by_side(const BodyLines& body, SideBySide& listing, Report& report);
std::size_t parse_registry(const BodyLines& body, RegistrySection& section, Report& report);
