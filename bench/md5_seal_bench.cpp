// Prints MD5 throughput over a 1 GiB buffer beside OpenSSL's own MD5 speed
// measured in the same run, then the same gigabyte split among the lanes of
// each MD5 path the processor runs (several streams at once on one thread,
// as the file listing digests several files), best of three interleaved
// rounds each; and the sealing throughput for a 64 MiB report.
#include "scan/report.h"
#include "seal/md5.h"
#include "seal/md5_lanes.h"
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

const md5_path paths[] = {md5_path::scalar, md5_path::sse2, md5_path::avx2};
const char* const path_names[] = {"scalar", "SSE2", "AVX2"};

// The buffer split into one stream per lane, each digested in 1 MiB steps.
double lanes_megabytes_per_second(md5_path path, const std::vector<unsigned char>& data)
{
    const unsigned lanes = md5_lane_count(path);
    const std::size_t stream = data.size() / lanes;
    const std::size_t step_blocks = (1u << 20) / 64;
    md5_lane_states states;
    for (unsigned lane = 0; lane < lanes; ++lane)
        start_md5_lane(states, lane);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at + 64 * step_blocks <= stream; at += 64 * step_blocks) {
        const unsigned char* starts[max_md5_lanes];
        for (unsigned lane = 0; lane < lanes; ++lane)
            starts[lane] = data.data() + lane * stream + at;
        compress_md5_lanes(path, states, starts, step_blocks);
    }
    return data.size() / seconds_since(start) / 1e6;
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
    double ours = 0, openssl = 0, in_lanes[3] = {};
    for (int round = 0; round < 3; ++round) {
        ours = std::max(ours, md5_megabytes_per_second(data));
        openssl = std::max(openssl, openssl_megabytes_per_second());
        for (int p = 0; p < 3; ++p)
            if (md5_path_available(paths[p]))
                in_lanes[p] = std::max(in_lanes[p], lanes_megabytes_per_second(paths[p], data));
    }
    std::printf("MD5     ravelo %8.1f MB/s   openssl %8.1f MB/s   ratio %.2f (target >= 0.90)\n",
                ours, openssl, openssl > 0 ? ours / openssl : 0.0);
    for (int p = 0; p < 3; ++p) {
        if (!md5_path_available(paths[p])) {
            std::printf("MD5 in lanes, %-6s not available on this processor\n", path_names[p]);
            continue;
        }
        std::printf("MD5 in lanes, %-6s %u lane(s) %8.1f MB/s   %.2f times openssl's one stream%s\n",
                    path_names[p], md5_lane_count(paths[p]), in_lanes[p],
                    openssl > 0 ? in_lanes[p] / openssl : 0.0,
                    paths[p] == fastest_md5_path() ? "   (the listing's path)" : "");
    }
    std::printf("Sealing 64 MiB report: %.1f MB/s\n", seal_megabytes_per_second(64u << 20));
    return 0;
}
