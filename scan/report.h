#pragma once
#include <ostream>
#include <sstream>

// The whole report text, built in memory by the scan and sealed at its end.
extern std::ostringstream report_stream;

// Ends a report line: one line feed, never a carriage return, then a flush.
std::ostream& write_endl(std::ostream& out);

// Writes a section banner: the 70-character title line, three filler lines,
// a border line and an empty line.
void write_banner(const char* title_line);
