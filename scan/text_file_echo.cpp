#include "text_file_echo.h"

#include "report.h"
#include "../platform/file_streams.h"

void dump_text_file(const std::string& path)
{
    std::unique_ptr<std::istream> file = open_text_input(path.c_str());
    if (!file->good()) {
        report_stream << "File not found..." << write_endl;
        return;
    }
    // Testing before each read and writing after it unconditionally gives a
    // last empty line after a final line feed, and one for an empty file.
    std::string line;
    while (file->good()) {
        std::getline(*file, line);
        report_stream << line << write_endl;
    }
    if (file->bad())
        report_stream << "Can't read file to its end..." << write_endl;
}
