// Lists two trees in /dev/shm with list_directory and prints files per second
// and MB/s beside hashdeep and md5sum on the same trees, and beside the
// Windows build's listing run under Wine when its executable is given:
//   directory_inventory_bench [path/to/directory_inventory_bench.exe]
// The same program, given "--list DIRECTORY", lists one tree and prints its
// own figures: that is what the Windows build does under Wine. The listing
// is framed by two named events, ravelo-bench-begin and ravelo-bench-end, so
// that a trace of Wine's server calls can be cut to the listing alone.
#include "platform/win32.h"
#include "scan/directory_inventory.h"
#include "scan/report.h"
#include "seal/md5.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/posix/call_counts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct listing {
    double seconds;
    std::size_t files;
    std::string report_digest;
};

// A named event whose creation shows in a trace of Wine's server calls.
void mark(const char* name)
{
#ifdef _WIN32
    CloseHandle(CreateEventA(nullptr, TRUE, FALSE, name));
#else
    (void)name;
#endif
}

listing list_tree(const std::string& path)
{
    report_stream.str("");
    const auto start = std::chrono::steady_clock::now();
    mark("ravelo-bench-begin");
    list_directory(path, 0);
    mark("ravelo-bench-end");
    const double seconds = seconds_since(start);
    const std::string report = report_stream.str();
    std::size_t files = 0;
    for (std::size_t at = report.find(" \t"); at != std::string::npos; at = report.find(" \t", at + 2))
        ++files;
    std::istringstream text(report);
    return {seconds, files, MD5(text).hex_digest()};
}

int list_only(const char* path)
{
    const listing result = list_tree(path);
    std::printf("%.6f %zu %s\n", result.seconds, result.files, result.report_digest.c_str());
    return 0;
}

#ifndef _WIN32

struct tree {
    std::string path;
    std::size_t files;
    double megabytes;
};

std::vector<unsigned char> pattern_bytes(std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    std::uint32_t state = 12345;
    for (unsigned char& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

bool write_file(const std::string& path, const unsigned char* bytes, std::size_t size)
{
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (descriptor < 0)
        return false;
    const bool written = write(descriptor, bytes, size) == static_cast<ssize_t>(size);
    return close(descriptor) == 0 && written;
}

// files_per_directory files in each of directories folders, sizes drawn
// from [min_size, max_size]; each file starts at a different offset of one
// pattern so that no two files are alike.
bool make_tree(tree& made, std::size_t directories, std::size_t files_per_directory,
               std::size_t min_size, std::size_t max_size)
{
    const std::vector<unsigned char> bytes = pattern_bytes(max_size + 65536);
    if (mkdir(made.path.c_str(), 0755) != 0)
        return false;
    std::uint32_t state = 99;
    std::size_t total = 0;
    for (std::size_t d = 0; d < directories; ++d) {
        const std::string directory = made.path + "/dir" + std::to_string(d);
        if (mkdir(directory.c_str(), 0755) != 0)
            return false;
        for (std::size_t f = 0; f < files_per_directory; ++f) {
            state = state * 1664525u + 1013904223u;
            const std::size_t size = min_size + state % (max_size - min_size + 1);
            const std::size_t offset = (state >> 8) % 65536;
            if (!write_file(directory + "/file " + std::to_string(f) + ".bin", bytes.data() + offset, size))
                return false;
            total += size;
        }
    }
    made.files = directories * files_per_directory;
    made.megabytes = total / 1e6;
    return true;
}

double best_of_three(const std::string& command)
{
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            return 0;
        const double seconds = seconds_since(start);
        best = seconds < best ? seconds : best;
    }
    return best;
}

void print_figures(const char* who, const tree& measured, double seconds)
{
    if (seconds <= 0) {
        std::printf("  %-28s not measured\n", who);
        return;
    }
    std::printf("  %-28s %8.3f s %10.0f files/s %8.1f MB/s\n", who, seconds,
                measured.files / seconds, measured.megabytes / seconds);
}

// The Windows build's listing under Wine: its own timing, excluding Wine's
// start, and the digest of its report to compare with the native one.
bool wine_listing(const std::string& windows_bench, const std::string& path, listing& result)
{
    std::string windows_path = "Z:" + path;
    for (char& c : windows_path)
        if (c == '/')
            c = '\\';
    const std::string command = std::string(RAVELO_SOURCE_DIR) + "/tests/wine/wine_run.sh '" +
                                windows_bench + "' --list '" + windows_path + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char digest[64] = "";
    const int fields = std::fscanf(pipe, "%lf %zu %63s", &result.seconds, &result.files, digest);
    result.report_digest = digest;
    return pclose(pipe) == 0 && fields == 3;
}

// One more listing, counting the calls it makes to the substitute.
void print_calls_per_file(const tree& listed)
{
    clear_call_counts();
    list_tree(listed.path);
    std::printf("  calls per file of the substitute:");
    double total = 0;
    for (const auto& entry : call_counts()) {
        std::printf(" %s %.3f", entry.first.c_str(), double(entry.second) / listed.files);
        total += double(entry.second) / listed.files;
    }
    std::printf("; in all %.3f\n", total);
}

void measure(const char* title, tree& measured, const std::string& windows_bench)
{
    std::printf("%s: %zu files, %.1f MB in %s\n", title, measured.files, measured.megabytes,
                measured.path.c_str());
    listing ours = list_tree(measured.path);
    for (int run = 0; run < 2; ++run) {
        const listing again = list_tree(measured.path);
        ours.seconds = again.seconds < ours.seconds ? again.seconds : ours.seconds;
    }
    const double hashdeep = best_of_three("hashdeep -c md5 -r '" + measured.path + "' >/dev/null");
    // hashdeep digests several files at once, one per core; the scan reads
    // one file at a time on its one worker thread.
    const double hashdeep_one_thread =
        best_of_three("hashdeep -j 1 -c md5 -r '" + measured.path + "' >/dev/null");
    const double md5sum = best_of_three("find '" + measured.path +
                                        "' -type f -print0 | xargs -0 md5sum >/dev/null");
    print_figures("ravelo list_directory", measured, ours.seconds);
    print_figures("hashdeep -c md5 -r", measured, hashdeep);
    print_figures("hashdeep -j 1 -c md5 -r", measured, hashdeep_one_thread);
    print_figures("md5sum", measured, md5sum);
    listing wine{};
    const bool under_wine = !windows_bench.empty() && wine_listing(windows_bench, measured.path, wine);
    if (under_wine)
        print_figures("ravelo.exe under Wine", measured, wine.seconds);
    std::printf("  files listed: %zu (expected %zu)\n", ours.files, measured.files);
    if (hashdeep > 0)
        std::printf("  ratio hashdeep / ravelo: %.2f (target >= 1.00)\n", hashdeep / ours.seconds);
    if (hashdeep_one_thread > 0)
        std::printf("  ratio hashdeep -j 1 / ravelo: %.2f\n", hashdeep_one_thread / ours.seconds);
    if (md5sum > 0)
        std::printf("  ratio md5sum / ravelo:   %.2f\n", md5sum / ours.seconds);
    if (under_wine)
        std::printf("  ratio Wine / native:     %.2f slower; same report: %s\n", wine.seconds / ours.seconds,
                    wine.report_digest == ours.report_digest && wine.files == ours.files ? "yes" : "NO");
    else if (!windows_bench.empty())
        std::printf("  Wine run failed\n");
    print_calls_per_file(measured);
}

void remove_tree(const std::string& path)
{
    std::system(("rm -rf '" + path + "'").c_str());
}

int run_benchmark(const std::string& windows_bench)
{
    const std::string root = "/dev/shm/ravelo-bench-" + std::to_string(getpid());
    if (mkdir(root.c_str(), 0755) != 0) {
        std::fprintf(stderr, "cannot make %s\n", root.c_str());
        return 1;
    }
    // One tree at a time, so that /dev/shm never holds more than about 1 GB.
    tree small{root + "/small", 0, 0};
    const bool small_made = make_tree(small, 100, 200, 1024, 64 * 1024);
    if (small_made)
        measure("20,000 files of 1-64 KiB", small, windows_bench);
    remove_tree(small.path);
    tree large{root + "/large", 0, 0};
    const bool large_made = small_made && make_tree(large, 4, 50, 5u << 20, 5u << 20);
    if (large_made)
        measure("200 files of 5 MiB", large, windows_bench);
    remove_tree(root);
    if (!large_made)
        std::fprintf(stderr, "cannot make the trees under %s\n", root.c_str());
    return large_made ? 0 : 1;
}

#endif

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0)
        return list_only(argv[2]);
#ifdef _WIN32
    std::fprintf(stderr, "usage: %s --list DIRECTORY\n", argv[0]);
    return 2;
#else
    return run_benchmark(argc == 2 ? argv[1] : "");
#endif
}
