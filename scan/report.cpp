#include "report.h"

std::ostringstream report_stream;

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
