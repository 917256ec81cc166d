// The text-mode echo over a file of any bytes: what reaches the report must
// be what Windows's text mode delivers (CR LF read as LF, a lone CR kept,
// 0x1A ending the input), cut into lines as the echo cuts them.
#include "platform/posix/fault_injection.h"
#include "scan/report.h"
#include "scan/text_file_echo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string text_mode(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != 0x1A; ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text += bytes[i];
    return text;
}

// Each line and its line feed; a last line without one gets one, and input
// that ends with a line feed (or is empty) gives one more empty line.
std::string echoed(const std::string& text)
{
    return text + "\n";
}

// In memory where the system offers it: a disk file costs most of a run.
struct ScratchFile {
    std::string path;
    ScratchFile()
    {
        for (const char* folder : {"/dev/shm", "/tmp"}) {
            path = std::string(folder) + "/ravelo-text-fuzz-XXXXXX";
            const int descriptor = mkstemp(&path[0]);
            if (descriptor >= 0) {
                close(descriptor);
                return;
            }
        }
        std::abort();
    }
    ~ScratchFile() { unlink(path.c_str()); }
};

const std::string& scratch_file()
{
    static const ScratchFile file;
    return file.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::FILE* file = std::fopen(scratch_file().c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0)
        std::abort();
    report_stream.str("");
    dump_text_file(scratch_file());
    if (report_stream.str() != echoed(text_mode(bytes)))
        std::abort();
    return 0;
}
