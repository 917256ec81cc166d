// ravelo-inspect's config on any text: the TOML reader, the [[rule]]
// tables, and the rules it accepts run against two fixture reports with
// every output. Support staff write these files by hand; none of them may
// crash the inspector or make it hang.
#include "audit/config.h"
#include "desk/inspection.h"
#include "output/outputs.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string fixture(const char* name)
{
    std::ifstream file(std::string(RAVELO_SOURCE_DIR "/tests/golden/inspect/reports/") + name,
                       std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// load_config reads a file: each input is written to one of this process.
const std::string& config_file()
{
    static const std::string name = "/tmp/rule_file_fuzz_" + std::to_string(getpid()) + ".toml";
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string reports[] = {fixture("clean.txt"), fixture("faults_everywhere.txt")};
    std::ofstream(config_file(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Config config;
    std::string error;
    if (!load_config(config_file(), config, error))
        return 0;
    std::ostringstream out;
    for (const std::string& report : reports) {
        const Inspection inspection = inspect_bytes("fuzz.dat", report, config);
        write_text(inspection, out);
        write_json(inspection, out);
        write_html(inspection, out);
    }
    return 0;
}
