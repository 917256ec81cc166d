#include "decode_file.h"

#include "report_decipher.h"
#include "report_shape.h"
#include "../platform/standard_output.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

int fail(const std::string& message)
{
    std::cerr << "ravelo-decode: " << message << '\n';
    return 1;
}

bool read_whole_file(const std::string& path, std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    // A directory opens but fails on the first read.
    const bool failed = std::ferror(file);
    std::fclose(file);
    return !failed;
}

bool write_text(const std::string& path, const std::string& text)
{
    if (path.empty()) {
        make_standard_output_binary();
        std::cout.write(text.data(), text.size());
        std::cout.flush();
        return bool(std::cout);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), text.size());
    out.close();
    return bool(out);
}

} // namespace

int decode_file(const std::string& report_path, const std::string& out_path, bool force)
{
    std::string sealed;
    if (!read_whole_file(report_path, sealed))
        return fail("cannot read " + report_path);
    std::string text;
    if (!decipher_report(sealed, text))
        return fail(report_path + " is not a Ravelo report: its size (" + std::to_string(sealed.size()) +
                    " bytes) is not a multiple of 8");
    if (!force && !looks_like_report(text))
        return fail(report_path + " is not a Ravelo report: it does not begin with a report's first " +
                    "lines (another file, or a damaged one); --force writes its text anyway");
    if (!write_text(out_path, text))
        return fail("cannot write " + (out_path.empty() ? std::string("standard output") : out_path));
    return 0;
}
