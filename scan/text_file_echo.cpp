#include "text_file_echo.h"

#include "report.h"
#include "../platform/file_streams.h"

namespace {

// Copies one line, its characters up to the next line feed (consumed, not
// copied), a chunk at a time: a file of one endless line (a runaway log) is
// never held in memory whole.
void copy_line(std::istream& file)
{
    char chunk[4096];
    for (;;) {
        const auto next = file.peek();
        if (next == std::istream::traits_type::eof())
            break;
        if (next == '\n') {
            file.ignore();
            break;
        }
        file.get(chunk, sizeof chunk, '\n');
        report_stream.write(chunk, file.gcount());
        if (!report_stream)
            break;
    }
    report_stream << write_endl;
}

} // namespace

void dump_text_file(const std::string& path)
{
    std::unique_ptr<std::istream> file = open_text_input(path.c_str());
    if (!file->good()) {
        report_stream << "File not found..." << write_endl;
        return;
    }
    // Testing before each read and writing after it unconditionally gives a
    // last empty line after a final line feed, and one for an empty file. A
    // report that takes no more (a section at its limit) ends the copy.
    while (file->good() && report_stream.good())
        copy_line(*file);
    if (file->bad())
        report_stream << "Can't read file to its end..." << write_endl;
}
