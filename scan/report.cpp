#include "report.h"

#include <algorithm>

ReportStream report_stream;

namespace {

std::size_t section_start;

} // namespace

ReportBuffer::int_type ReportBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    if (at_limit())
        return traits_type::eof();
    bytes.push_back(traits_type::to_char_type(c));
    return c;
}

std::streamsize ReportBuffer::xsputn(const char* text, std::streamsize count)
{
    const std::size_t room = bytes.size() < limit ? limit - bytes.size() : 0;
    const std::size_t taken = std::min(room, static_cast<std::size_t>(count));
    bytes.append(text, taken);
    return static_cast<std::streamsize>(taken);
}

std::ostream& write_endl(std::ostream& out)
{
    out.put('\n');
    return out.flush();
}

void write_banner(const char* title_line)
{
    static const char filler[] =
        "*                                                                    *";
    static const char border[] =
        "**********************************************************************";
    report_stream << title_line << write_endl;
    for (int i = 0; i < 3; ++i)
        report_stream << filler << write_endl;
    report_stream << border << write_endl;
    report_stream << write_endl;
}

void begin_bounded_section()
{
    section_start = report_stream.text().size();
    report_stream.bytes().limit_to(section_start + section_limit);
}

void end_bounded_section()
{
    ReportBuffer& bytes = report_stream.bytes();
    const bool reached_limit = bytes.at_limit();
    bytes.lift_limit();
    if (report_stream.good())
        return;
    const std::size_t last_line_end = bytes.text().rfind('\n');
    bytes.cut(last_line_end == std::string::npos || last_line_end < section_start
                  ? section_start
                  : last_line_end + 1);
    report_stream.clear();
    if (reached_limit)
        report_stream << "Section cut short: it reached the limit of " << (section_limit >> 20)
                      << " MiB a section may hold." << write_endl;
    else
        report_stream << "Section cut short: the scan ran out of memory." << write_endl;
}
