// ravelo-decode REPORT.dat [OUT.txt]: turns a sealed Ravelo report back into
// its plain text, for the maker's support staff.
#include "report_decipher.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

int fail(const std::string& message)
{
    std::cerr << "ravelo-decode: " << message << '\n';
    return 1;
}

bool read_whole_file(const char* path, std::string& bytes)
{
    std::FILE* file = std::fopen(path, "rb");
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

bool write_text(const char* path, const std::string& text)
{
    if (!path) {
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

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
        return fail("usage: ravelo-decode REPORT.dat [OUT.txt]");
    std::string sealed;
    if (!read_whole_file(argv[1], sealed))
        return fail(std::string("cannot read ") + argv[1]);
    std::string text;
    if (!decipher_report(sealed, text))
        return fail(std::string(argv[1]) + " is not a Ravelo report: its size (" +
                    std::to_string(sealed.size()) + " bytes) is not a multiple of 8");
    const char* out_path = argc == 3 ? argv[2] : nullptr;
    if (!write_text(out_path, text))
        return fail(std::string("cannot write ") + (out_path ? out_path : "standard output"));
    return 0;
}
