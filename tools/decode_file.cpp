#include "decode_file.h"

#include "report_decipher.h"
#include "report_shape.h"
#include "../platform/standard_output.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

int fail(const std::string& message)
{
    std::cerr << "ravelo-decode: " << message << '\n';
    return 1;
}

// Read whole, a file dropped by mistake (a video) would not fit in a 32-bit
// program's memory.
bool larger_than_any_report(const std::string& path)
{
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::u8path(path), failure);
    return !failure && size > max_report_bytes;
}

// The name as UTF-8, not in the ANSI code page, so that any name opens on
// Windows.
bool read_whole_file(const std::string& path, std::string& bytes)
{
    std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
    char chunk[65536];
    // A directory opens on Linux but fails on the first read.
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(file.gcount()));
    return file.eof() && !file.bad();
}

bool write_text(const std::string& path, const std::string& text)
{
    if (path.empty()) {
        make_standard_output_binary();
        std::cout.write(text.data(), text.size());
        std::cout.flush();
        return bool(std::cout);
    }
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(text.data(), text.size());
    out.close();
    return bool(out);
}

} // namespace

bool decipher_file(const std::string& report_path, std::string& text, std::string& error)
{
    std::string sealed;
    if (larger_than_any_report(report_path)) {
        error = report_path + " is not a Ravelo report: it is larger than " +
                std::to_string(max_report_bytes >> 20) + " MiB";
        return false;
    }
    if (!read_whole_file(report_path, sealed)) {
        error = "cannot read " + report_path;
        return false;
    }
    if (!decipher_report(sealed, text)) {
        error = report_path + " is not a Ravelo report: its size (" +
                std::to_string(sealed.size()) + " bytes) is not a multiple of 8";
        return false;
    }
    return true;
}

std::string not_a_report(const std::string& report_path)
{
    return report_path + " is not a Ravelo report: it does not begin with a report's first " +
           "lines (another file, or a damaged one)";
}

int decode_file(const std::string& report_path, const std::string& out_path, bool force)
{
    std::string text, error;
    if (!decipher_file(report_path, text, error))
        return fail(error);
    if (!force && !looks_like_report(text))
        return fail(not_a_report(report_path) + "; --force writes its text anyway");
    if (!write_text(out_path, text))
        return fail("cannot write " + (out_path.empty() ? std::string("standard output") : out_path));
    return 0;
}
