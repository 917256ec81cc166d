#pragma once
#include <cstddef>
#include <new>
#include <ostream>
#include <streambuf>
#include <string>

// The report text in memory: an output stream over one growing string that
// can be told where to stop. Past that point it takes nothing more and turns
// bad, so that a runaway section cannot exhaust a 32-bit process's memory.
class ReportBuffer : public std::streambuf {
public:
    const std::string& text() const { return bytes; }
    void replace(const std::string& text) { bytes = text; }
    void cut(std::size_t size) { bytes.resize(size); }
    // The report takes no byte past size until the limit is lifted.
    void limit_to(std::size_t size) { limit = size; }
    void lift_limit() { limit = std::string::npos; }
    bool at_limit() const { return bytes.size() >= limit; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;

private:
    std::string bytes;
    std::size_t limit = std::string::npos;
};

class ReportStream : public std::ostream {
public:
    ReportStream() : std::ostream(nullptr) { rdbuf(&buffer); }
    // The text written so far.
    const std::string& text() const { return buffer.text(); }
    std::string str() const { return buffer.text(); }
    // Starts the text afresh; the stream's state is left as it is.
    void str(const std::string& text) { buffer.replace(text); }
    ReportBuffer& bytes() { return buffer; }

private:
    ReportBuffer buffer;
};

// The whole report text, built in memory by the scan and sealed at its end.
extern ReportStream report_stream;

// The most one section's body may add to the report. No real machine comes
// near it (a Vok tree of 20,000 files takes about 1.5 MB); a runaway log
// written into fsx.cfg or millions of matching registry keys would.
const std::size_t section_limit = 16u << 20;

// Ends a report line: one line feed, never a carriage return, then a flush.
std::ostream& write_endl(std::ostream& out);

// Writes a section banner: the 70-character title line, three filler lines,
// a border line and an empty line.
void write_banner(const char* title_line);

// The two halves of write_bounded_section.
void begin_bounded_section();
void end_bounded_section();

// Writes one section body through body(), bounded by section_limit. A body
// that reaches the limit, or runs out of memory, is cut after its last whole
// line and followed by a line that says so; the scan goes on.
template <typename Body>
void write_bounded_section(Body body)
{
    begin_bounded_section();
    try {
        body();
    } catch (const std::bad_alloc&) {
        report_stream.setstate(std::ios::badbit);
    }
    end_bounded_section();
}
