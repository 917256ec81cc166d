// Prints MD5 throughput over a 1 GiB buffer beside OpenSSL's own MD5 speed
// measured in the same run (best of three each), and the sealing throughput for a 64 MiB report.
#include "scan/report.h"
#include "seal/md5.h"
#include "seal/report_cipher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double md5_megabytes_per_second(const std::vector<unsigned char>& data)
{
    const auto start = std::chrono::steady_clock::now();
    MD5 md5;
    const std::uint32_t chunk = 1u << 20;
    for (std::size_t at = 0; at < data.size(); at += chunk)
        md5.update(data.data() + at, chunk);
    md5.finalize();
    const double elapsed = seconds_since(start);
    std::printf("ravelo MD5: %s over %zu MiB in %.3f s\n", md5.hex_digest().c_str(),
                data.size() >> 20, elapsed);
    return data.size() / elapsed / 1e6;
}

// OpenSSL's figure for 16 KiB blocks, in MB/s; 0 when openssl is missing.
double openssl_megabytes_per_second()
{
    std::FILE* pipe = popen("openssl speed -seconds 2 -bytes 16384 -evp md5 2>/dev/null", "r");
    if (!pipe)
        return 0;
    char line[512];
    double kilobytes_per_second = 0;
    while (std::fgets(line, sizeof line, pipe)) {
        char name[64];
        double rate;
        if (std::sscanf(line, "%63s %lfk", name, &rate) == 2 && std::string(name) == "md5")
            kilobytes_per_second = rate;
    }
    pclose(pipe);
    return kilobytes_per_second / 1000;
}

double seal_megabytes_per_second(std::size_t size)
{
    report_stream.str(std::string(size, 'r'));
    char folder[] = "/tmp/ravelo-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 0;
    const std::string file = std::string(folder) + "/Ravelo_Report.dat";
    const auto start = std::chrono::steady_clock::now();
    const bool written = seal_text(report_stream.str(), file.c_str());
    const double elapsed = seconds_since(start);
    unlink(file.c_str());
    rmdir(folder);
    report_stream.str("");
    return written ? size / elapsed / 1e6 : 0;
}

} // namespace

int main()
{
    std::vector<unsigned char> data(std::size_t(1) << 30);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 2654435761u >> 13);

    // Best of three rounds each, interleaved, so that a busy moment of the
    // machine does not decide the ratio.
    double ours = 0, openssl = 0;
    for (int round = 0; round < 3; ++round) {
        ours = std::max(ours, md5_megabytes_per_second(data));
        openssl = std::max(openssl, openssl_megabytes_per_second());
    }
    std::printf("MD5     ravelo %8.1f MB/s   openssl %8.1f MB/s   ratio %.2f (target >= 0.90)\n",
                ours, openssl, openssl > 0 ? ours / openssl : 0.0);
    std::printf("Sealing 64 MiB report: %.1f MB/s\n", seal_megabytes_per_second(64u << 20));
    return 0;
}
