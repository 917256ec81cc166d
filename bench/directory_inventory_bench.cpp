// Lists two trees in /dev/shm with list_directory, in interleaved rounds
// beside hashdeep (with its default threads and with -j 1) and md5sum on the
// same trees, and beside the Windows build's listing run under Wine when its
// executable is given. Prints the best round of each, and the figures the
// listing is held to:
//   - natively: at least hashdeep's files per second on the tree of small
//     files, and at least 1.2 times its MB/s on the tree of large files;
//   - under Wine: at least 0.8 times single-threaded hashdeep's files per
//     second on the small files, and 0.9 times its MB/s on the large ones;
//   - the heap the listing takes at its peak, beside the report text it
//     writes, under 4 MiB for its own buffers.
//
//   directory_inventory_bench [path/to/directory_inventory_bench.exe [ROUNDS]]
//
// The same program, given "--list DIRECTORY", lists one tree and prints its
// own figures: that is what the Windows build does under Wine. The listing
// is framed by two named events, ravelo-bench-begin and ravelo-bench-end, so
// that a trace of Wine's server calls can be cut to the listing alone.
#include "bench/trace_mark.h"
#include "platform/win32.h"
#include "scan/directory_inventory.h"
#include "scan/report.h"
#include "seal/md5.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/posix/call_counts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The heap in use, counted by the replaced operator new and delete below.
std::size_t heap_in_use, heap_peak;

} // namespace

// Not inlined: the compiler would then see free() on what new returned.
__attribute__((noinline)) void* operator new(std::size_t size)
{
    // The block's size is kept in front of it, for delete.
    auto* block = static_cast<std::max_align_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    heap_in_use += size;
    heap_peak = std::max(heap_peak, heap_in_use);
    return block + 1;
}

__attribute__((noinline)) void operator delete(void* pointer) noexcept
{
    if (!pointer)
        return;
    auto* block = static_cast<std::max_align_t*>(pointer) - 1;
    heap_in_use -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept
{
    operator delete(pointer);
}
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

// Seconds of a whole command; 0 when it fails.
double timed(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return 0;
    return seconds_since(start);
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

// The best time of each contender over the rounds; 0 when it never ran.
struct contenders {
    listing ravelo{1e30, 0, ""};
    listing wine{0, 0, ""};
    double hashdeep = 0, hashdeep_one_thread = 0, md5sum = 0;
};

double best(double so_far, double seconds)
{
    return seconds > 0 && (so_far <= 0 || seconds < so_far) ? seconds : so_far;
}

void run_round(const tree& measured, const std::string& windows_bench, contenders& times)
{
    const listing ours = list_tree(measured.path);
    if (ours.seconds < times.ravelo.seconds)
        times.ravelo = ours;
    times.hashdeep = best(times.hashdeep, timed("hashdeep -c md5 -r '" + measured.path + "' >/dev/null"));
    // hashdeep digests several files at once, one per core; the scan reads
    // on its one worker thread.
    times.hashdeep_one_thread =
        best(times.hashdeep_one_thread, timed("hashdeep -j 1 -c md5 -r '" + measured.path + "' >/dev/null"));
    times.md5sum = best(times.md5sum, timed("find '" + measured.path +
                                            "' -type f -print0 | xargs -0 md5sum >/dev/null"));
    listing wine{};
    if (!windows_bench.empty() && wine_listing(windows_bench, measured.path, wine) &&
        (times.wine.seconds <= 0 || wine.seconds < times.wine.seconds))
        times.wine = wine;
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

// target 0: none.
void print_ratio(const char* what, double ours, double theirs, double target = 0)
{
    if (ours <= 0 || theirs <= 0)
        return;
    std::printf("  %-54s %5.2f", what, theirs / ours);
    if (target > 0)
        std::printf(" (target >= %.2f)", target);
    std::printf("\n");
}

// One more listing, counting the calls it makes to the substitute and the
// heap it takes. The report's buffer is not counted: emptying the report
// keeps the buffer that the rounds before grew.
void print_calls_and_heap(const tree& listed)
{
    report_stream.str("");
    clear_call_counts();
    const std::size_t heap_before = heap_in_use;
    heap_peak = heap_in_use;
    list_directory(listed.path, 0);
    const std::size_t heap_taken = heap_peak - heap_before;
    std::printf("  calls per file of the substitute:");
    double total = 0;
    for (const auto& entry : call_counts()) {
        std::printf(" %s %.3f", entry.first.c_str(), double(entry.second) / listed.files);
        total += double(entry.second) / listed.files;
    }
    std::printf("; in all %.3f\n", total);
    std::printf("  heap taken while listing, at its peak: %.2f MiB (target < 4), beside the report's buffer\n",
                heap_taken / 1048576.0);
}

// large: the tree of large files, held to MB/s; otherwise files per second.
void measure(const char* title, const tree& measured, bool large, const std::string& windows_bench,
             int rounds)
{
    std::printf("%s: %zu files, %.1f MB in %s\n", title, measured.files, measured.megabytes,
                measured.path.c_str());
    contenders times;
    for (int round = 0; round < rounds; ++round)
        run_round(measured, windows_bench, times);
    print_figures("ravelo list_directory", measured, times.ravelo.seconds);
    print_figures("hashdeep -c md5 -r", measured, times.hashdeep);
    print_figures("hashdeep -j 1 -c md5 -r", measured, times.hashdeep_one_thread);
    print_figures("md5sum", measured, times.md5sum);
    if (!windows_bench.empty())
        print_figures("ravelo.exe under Wine", measured, times.wine.seconds);
    std::printf("  files listed: %zu (expected %zu), report digest %s\n", times.ravelo.files, measured.files,
                times.ravelo.report_digest.c_str());
    if (times.wine.seconds > 0)
        std::printf("  same report under Wine: %s\n",
                    times.wine.report_digest == times.ravelo.report_digest &&
                            times.wine.files == times.ravelo.files
                        ? "yes"
                        : "NO");
    // A ratio of times is the ratio of files per second and of MB/s alike.
    print_ratio("native, against hashdeep (default threads)", times.ravelo.seconds, times.hashdeep,
                large ? 1.2 : 1.0);
    print_ratio("native, against hashdeep -j 1", times.ravelo.seconds, times.hashdeep_one_thread);
    print_ratio("native, against md5sum", times.ravelo.seconds, times.md5sum);
    print_ratio("under Wine, against native hashdeep -j 1", times.wine.seconds, times.hashdeep_one_thread,
                large ? 0.9 : 0.8);
    print_calls_and_heap(measured);
}

void remove_tree(const std::string& path)
{
    std::system(("rm -rf '" + path + "'").c_str());
}

int run_benchmark(const std::string& windows_bench, int rounds)
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
        measure("20,000 files of 1-64 KiB", small, false, windows_bench, rounds);
    remove_tree(small.path);
    tree large{root + "/large", 0, 0};
    const bool large_made = small_made && make_tree(large, 4, 50, 5u << 20, 5u << 20);
    if (large_made)
        measure("200 files of 5 MiB", large, true, windows_bench, rounds);
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
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    return run_benchmark(argc > 1 ? argv[1] : "", rounds);
#endif
}
