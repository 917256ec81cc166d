// ravelo-decode's whole path on a file of any bytes, and the sealing it
// undoes: a text sealed by the reporter comes back byte for byte, and what
// decode writes without --force always begins as a report.
#include "seal/report_cipher.h"
#include "tools/decode_file.h"
#include "tools/report_decipher.h"
#include "tools/report_shape.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

// In memory where the system offers it: a disk file costs most of a run.
struct ScratchFolder {
    std::string path;
    ScratchFolder()
    {
        for (const char* folder : {"/dev/shm", "/tmp"}) {
            path = std::string(folder) + "/ravelo-decode-fuzz-XXXXXX";
            if (mkdtemp(&path[0]))
                return;
        }
        std::abort();
    }
    ~ScratchFolder()
    {
        for (const char* name : {"/report.dat", "/report.txt", "/sealed.dat"})
            unlink((path + name).c_str());
        rmdir(path.c_str());
    }
};

const ScratchFolder& scratch()
{
    static const ScratchFolder folder;
    return folder;
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), bytes.size());
    if (!out.flush())
        std::abort();
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void check_sealing_round_trip(const std::string& bytes)
{
    // The reporter's text never holds a zero byte.
    const std::string text = bytes.substr(0, bytes.find('\0'));
    const std::string sealed = scratch().path + "/sealed.dat";
    if (!seal_text(text, sealed.c_str()))
        std::abort();
    std::string deciphered;
    if (!decipher_report(read_file(sealed), deciphered) || deciphered != text)
        std::abort();
}

} // namespace

// Decode's reasons for refusing a file would fill the log, one per run.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string report = scratch().path + "/report.dat";
    const std::string text = scratch().path + "/report.txt";
    write_file(report, bytes);
    unlink(text.c_str());
    const int code = decode_file(report, text, false);
    if (code != 0 && code != 1)
        std::abort();
    if (code == 0 && !looks_like_report(read_file(text)))
        std::abort();
    if (decode_file(report, text, true) != (size % 8 == 0 ? 0 : 1))
        std::abort();
    check_sealing_round_trip(bytes);
    return 0;
}
