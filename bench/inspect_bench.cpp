// Inspects 1,000 generated sealed reports of 50 to 200 KB each as
// "ravelo-inspect --summary --json" does, on one thread and then on two,
// and prints reports per second and MB/s for both; then builds their
// overview on one thread, and prints the peak memory of ravelo-inspect
// making the summary and the overview of 1,000 and of 10,000 reports. Then
// hostile reports (a dll.xml copy of megabytes of entries, millions of
// empty lines), each in a child process, with the time and the peak memory
// they take; with the argument "hostile", only those. Then diffs of reports
// of many unlisted folders; with "diff", only those. Then the cost of a
// hundred support rules on a report of 16 MiB, and the wildcard matcher
// against a megabyte line beside the classic backtracking match; with the
// argument "rules", only those. With "corpus N", it only writes N of its
// reports and keeps them, for a profiler to read.
// With "redaction", it only times inspection with and without --redact of
// a 16 MiB report, of reports whose user name stands in a long run of its
// own letters, and of one whose dll.xml copy holds a megabyte line of
// markup and names.
#include "audit/config.h"
#include "desk/batch.h"
#include "desk/diff.h"
#include "desk/inspection.h"
#include "desk/redaction.h"
#include "output/outputs.h"
#include "output/overview.h"
#include "report/config_files.h"
#include "rules/wildcard.h"
#include "seal/report_cipher.h"

#include <fcntl.h>
#include <fstream>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const int report_count = 1000;

std::string banner(const std::string& title)
{
    std::string line = "** " + title + " ";
    line.resize(70, '*');
    const std::string filler = "*" + std::string(68, ' ') + "*";
    return line + "\n" + filler + "\n" + filler + "\n" + filler + "\n" + std::string(70, '*') +
           "\n\n";
}

std::string digest(std::mt19937& random)
{
    static const char hex[] = "0123456789abcdef";
    std::string text(32, '0');
    for (char& c : text)
        c = hex[random() & 15];
    return text;
}

std::string side_by_side(std::mt19937& random)
{
    std::string text = "System dir                    : C:\\Windows\n"
                       "Side-by-side libraries list   : \n";
    const char* names[] = {"flightsimulator.simconnect_67c7c14424d61b5b_10.0.61259.0_x-ww_7e3d7ca1",
                           "vc80.crt_1fc8b3b9a1e18e3b_8.0.50727.6195_none_d09154e044272b9a",
                           "vc90.crt_1fc8b3b9a1e18e3b_9.0.30729.9625_none_508ef7e4bcbbe589",
                           "windows.common-controls_6595b64144ccf1df_6.0.7601.17514_none_41e6975e"};
    for (const char* name : names) {
        text += std::string("O C:\\Windows\\winsxs\\x86_microsoft.") + name + "\\\n";
        for (int f = 0; f < 3; ++f)
            text += "\t. file" + std::to_string(f) + ".dll \t" + digest(random) + "\n";
    }
    return text;
}

// A report with a Vok tree of a few hundred files, the two echoed files and
// as many registry keys as it takes to reach target bytes.
std::string generate_report(std::mt19937& random, std::size_t target)
{
    std::string text = banner("Basic information");
    text += "Name:                Customer " + std::to_string(random() % 10000) +
            "\ne-mail:              someone@example.com\nForum name:          pilot\n"
            "Problem description: The panel stays dark.\r\nSince yesterday.\n\n"
            "OS version:          6.1 build 7601  Windows 7\n"
            "Service pack:        1.0  Service Pack 1\n\nFSX path:            C:\\FSX\\\n"
            "App data path:       C:\\Users\\Pilot\\AppData\\Roaming\n\n\n";
    text += banner("Vok directory test");
    for (int folder = 0; folder < 20; ++folder) {
        text += "O Folder" + std::to_string(folder) + "\n";
        for (int file = 0; file < 20; ++file)
            text += "\t. texture_" + std::to_string(file) + ".dds \t" + digest(random) + "\n";
    }
    text += "\n\n" + banner("Modules directory test") + ". VokPanel.dll \t" + digest(random) +
            "\n\n\n";
    text += banner("dll.xml test") + "The file begins below the line\n" + std::string(70, '-') +
            "\n<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<SimBase.Document Type=\"Launch\" "
            "version=\"1,0\">\n  <Launch.Addon>\n    <Name>Vok</Name>\n    "
            "<Path>Modules\\VokPanel.dll</Path>\n  </Launch.Addon>\n</SimBase.Document>\n\n" +
            std::string(70, '-') + "\nEnd of dll.xml reached.\n\n\n\n";
    text += banner("fsx.cfg test") + "The file begins below the line\n" + std::string(70, '-') +
            "\n[Trusted]\nC:\\FSX\\Modules\\VokPanel.dll.abcdefgh=1\n";
    for (int line = 0; line < 150; ++line)
        text += "SETTING_" + std::to_string(line) + "=" + std::to_string(random() % 1000) + "\n";
    text += "\n" + std::string(70, '-') + "\nEnd of fsx.cfg reached.\n\n\n\n";
    text += banner("Side by side libraries test") + side_by_side(random) + "\n\n";
    const char* roots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"};
    for (int r = 0; r < 3; ++r) {
        text += banner(std::string(roots[r]) + " enumeration");
        const std::size_t section_end = text.size() + (target - std::min(target, text.size())) / (3 - r);
        for (int key = 0; text.size() < section_end; ++key) {
            text += std::string(roots[r]) + "\\Software\\Vendor\\Flight Simulator\\Key" +
                    std::to_string(key) + "\n";
            text += "\t-> Path \tC:\\FSX\\SimObjects\\Airplanes\\Plane" + std::to_string(key) +
                    "\n\t-> Flags \t0x" + std::to_string(random() % 99) + "\n";
        }
        if (r < 2)
            text += "\n\n";
    }
    return text;
}

struct Corpus {
    fs::path folder;
    std::vector<std::string> files;
    std::size_t bytes = 0;
};

Corpus write_corpus(int count = report_count)
{
    Corpus corpus;
    corpus.folder = fs::path("/dev/shm") / ("ravelo-inspect-bench-" + std::to_string(getpid()));
    fs::create_directories(corpus.folder);
    std::mt19937 random(20260101);
    std::uniform_int_distribution<std::size_t> size(50 * 1024, 200 * 1024);
    for (int i = 0; i < count; ++i) {
        const std::string text = generate_report(random, size(random));
        const std::string file = (corpus.folder / ("report" + std::to_string(i) + ".dat")).string();
        if (!seal_text(text, file.c_str()))
            throw std::runtime_error("cannot write " + file);
        corpus.files.push_back(file);
        corpus.bytes += fs::file_size(file);
    }
    return corpus;
}

BatchResult summarize(const std::string& file, const Config& config)
{
    const Inspection inspection = inspect_file(file, config);
    std::ostringstream out;
    write_summary_json(inspection, out);
    return BatchResult{out.str(), inspection_failed(inspection)};
}

struct Speed {
    double mb_per_s, mb_per_cpu_s;
};

Speed run(const Corpus& corpus, const Config& config, unsigned jobs)
{
    std::ostringstream sink;
    const std::clock_t cpu_start = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const std::size_t failed = run_batch(
        corpus.files, jobs, [&](const std::string& file) { return summarize(file, config); }, sink);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = double(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    if (failed)
        throw std::runtime_error(std::to_string(failed) + " reports failed");
    const double mb = corpus.bytes / 1e6;
    // On a shared machine the cores this run really had tell what the
    // figures are worth.
    std::printf("%u thread(s): %d reports in %.2f s: %.0f reports/s, %.1f MB/s "
                "(%.2f cores busy on average)\n",
                jobs, report_count, took.count(), report_count / took.count(), mb / took.count(),
                cpu / took.count());
    return {mb / took.count(), mb / cpu};
}

Speed run_overview(const Corpus& corpus, const Config& config)
{
    const OverviewSettings settings{(corpus.folder / "overview").string(), 1, false};
    std::ostringstream sink;
    std::size_t failed = 0;
    std::string error;
    const std::clock_t cpu_start = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const bool written = write_overview_folder(
        corpus.files, config, settings,
        [](const Inspection& inspection) {
            std::ostringstream row;
            write_summary_json(inspection, row);
            return row.str();
        },
        sink, failed, error);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = double(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    fs::remove_all(settings.folder);
    if (!written || failed)
        throw std::runtime_error("overview: " + error + " " + std::to_string(failed) + " failed");
    const double mb = corpus.bytes / 1e6;
    std::printf("overview, 1 thread: %d reports and their pages in %.2f s: %.0f reports/s, "
                "%.1f MB/s (%.2f cores busy on average)\n",
                report_count, took.count(), report_count / took.count(), mb / took.count(),
                cpu / took.count());
    return {mb / took.count(), mb / cpu};
}

// VmHWM of a running process, in KiB; 0 once it has exited.
long peak_kib_of(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string field;
    long kib = 0;
    while (status >> field)
        if (field == "VmHWM:" && status >> kib)
            return kib;
    return 0;
}

// Starts the program args name with its output and its notes (such as a
// configuration not found) thrown away; its pid, or -1.
pid_t start_program(std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

// Runs ravelo-inspect on one thread over copies of the corpus' list and
// returns its peak resident memory in MiB. The child's own VmHWM is read
// every few milliseconds while it runs: its rusage would count the pages
// it shared with this process before exec.
double peak_mib(const Corpus& corpus, std::size_t reports, const std::vector<std::string>& options)
{
    std::vector<std::string> args = {RAVELO_INSPECT_PROGRAM, "--jobs", "1", "--config",
                                     (corpus.folder / "bench.toml").string()};
    args.insert(args.end(), options.begin(), options.end());
    for (std::size_t i = 0; i < reports; ++i)
        args.push_back(corpus.files[i % corpus.files.size()]);
    const pid_t child = start_program(args);
    int status = 0;
    long peak = 0;
    while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
        peak = std::max(peak, peak_kib_of(child));
        usleep(2000);
    }
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("ravelo-inspect failed on " + std::to_string(reports) +
                                 " reports");
    return peak / 1024.0;
}

void print_peak_memory(const Corpus& corpus)
{
    std::ofstream(corpus.folder / "bench.toml")
        << "[addon]\nmodule = \"Modules\\\\VokPanel.dll\"\nsimconnect = [\"10.0.61259.0\"]\n"
           "vc_runtimes = [\"vc80.crt\"]\n";
    const std::string overview = (corpus.folder / "overview").string();
    for (const char* what : {"--summary", "--overview"}) {
        double peak[2];
        const std::size_t counts[2] = {1000, 10000};
        for (int k = 0; k < 2; ++k) {
            std::vector<std::string> options = {what};
            if (std::string(what) == "--overview")
                options.push_back(overview);
            peak[k] = peak_mib(corpus, counts[k], options);
            fs::remove_all(overview);
        }
        std::printf("ravelo-inspect %s, 1 thread: peak memory %.1f MiB for 1,000 reports, "
                    "%.1f MiB for 10,000 (%.2fx)\n",
                    what, peak[0], peak[1], peak[1] / peak[0]);
    }
}

// The small report with its dll.xml copy replaced by copy.
std::string with_dll_xml(const std::string& report, const std::string& copy)
{
    const std::string rule(70, '-');
    const std::size_t begin = report.find(rule, report.find("** dll.xml test")) + rule.size() + 1;
    const std::size_t end = report.find("\n" + rule + "\nEnd of dll.xml", begin) + 1;
    return std::string(report).replace(begin, end - begin, copy);
}

std::string dll_xml_of_entries(std::size_t bytes)
{
    std::string copy = "<?xml version=\"1.0\"?>\n<SimBase.Document Type=\"Launch\">\n";
    for (int k = 0; copy.size() < bytes; ++k)
        copy += "  <Launch.Addon>\n    <Name>Add-on " + std::to_string(k) +
                "</Name>\n    <Path>Modules\\Addon" + std::to_string(k) +
                ".dll</Path>\n  </Launch.Addon>\n";
    return copy + "</SimBase.Document>\n\n";
}

struct Hostile {
    std::string name;
    std::string text;
};

// Inspects the text in a child process, so that its peak memory is its own.
void run_hostile(const Hostile& hostile, const Config& config)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const Inspection inspection = inspect_bytes(hostile.name, hostile.text, config);
        std::ostringstream out;
        write_summary_json(inspection, out);
        _exit(out.str().empty() ? 1 : 0);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%-44s %7.1f MiB in %6.2f s, peak %7.1f MiB (%s)\n", hostile.name.c_str(),
                hostile.text.size() / 1048576.0, took.count(), usage.ru_maxrss / 1024.0,
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "inspected" : "FAILED");
}

void run_hostile_reports(const Config& config)
{
    std::mt19937 random(7);
    const std::string small = generate_report(random, 50 * 1024);
    std::printf("hostile reports (a small report grown in one part; one child process each):\n");
    for (std::size_t mib : {1, 4, 16})
        run_hostile({"dll.xml of " + std::to_string(mib) + " MiB of entries",
                     with_dll_xml(small, dll_xml_of_entries(mib << 20))},
                    config);
    run_hostile({"dll.xml of 64 MiB of line feeds", with_dll_xml(small, std::string(64 << 20, '\n'))},
                config);
    run_hostile({"64 MiB of line feeds after the report", small + std::string(64 << 20, '\n')},
                config);
}

// The small report with its add-on tree replaced by folders, each holding
// one file or, with unlisted, listed as too long.
std::string with_folders(const std::string& report, std::size_t folders, bool unlisted)
{
    std::string tree;
    for (std::size_t k = 0; k < folders; ++k)
        tree += "O f" + std::to_string(k) + "\n\t" +
                (unlisted ? std::string("Path too long...") :
                            ". a.dat \t" + std::string(32, 'a')) + "\n";
    const std::size_t begin = report.find("\n\n", report.find("** Vok directory")) + 2;
    const std::size_t end = report.find("\n\n** Modules directory", begin);
    return std::string(report).replace(begin, end - begin, tree);
}

// diff of a report against the same one whose every folder could not be
// listed: twice the folders should take twice the time.
void run_hostile_diffs(const Config& config)
{
    std::mt19937 random(7);
    const std::string small = generate_report(random, 50 * 1024);
    std::printf("diff against a report of unlisted folders, both inspected and compared:\n");
    for (std::size_t folders : {50000, 100000, 200000}) {
        const Inspection old_one = inspect_bytes("old", with_folders(small, folders, false), config);
        const Inspection new_one = inspect_bytes("new", with_folders(small, folders, true), config);
        const auto start = std::chrono::steady_clock::now();
        const ReportDiff diff = diff_reports(old_one, new_one);
        std::ostringstream out;
        write_diff_text(old_one, new_one, diff, out);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("%7zu folders: compared and written in %6.2f s, %zu changes, %zu not "
                    "comparable\n",
                    folders, took.count(), diff.changes.size(), diff.gaps.size());
    }
}

// The best of three rounds, in CPU seconds: on a shared machine the wall
// clock also counts the time other programs held the core.
template <typename Work>
double best_seconds(Work work)
{
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        const std::clock_t start = std::clock();
        work();
        best = std::min(best, double(std::clock() - start) / CLOCKS_PER_SEC);
    }
    return best;
}

// A report of user Abe with a registry value of "abeabe..." as long as
// asked: the hex letters of the name in a run that is no digest.
std::string hex_run_report(std::mt19937& random, std::size_t run)
{
    std::string text = generate_report(random, 50 * 1024);
    const std::string pilot = "\\Users\\Pilot\\";
    text.replace(text.find(pilot), pilot.size(), "\\Users\\Abe\\");
    std::string blob;
    while (blob.size() < run)
        blob += "abe";
    const std::size_t flags = text.find('\n', text.find("\t-> Flags \t")) + 1;
    return text.insert(flags, "\t-> Blob \t" + blob + "\n");
}

// A report of user Pilot whose dll.xml copy holds a line of elements as
// long as asked, with the name in their text, attributes and paths: markup
// every few bytes, each stretch of it weighed against each name found, and
// a bare '&' in each element.
std::string markup_line_report(std::mt19937& random, std::size_t size)
{
    std::string text = generate_report(random, 50 * 1024);
    std::string line = "  ";
    while (line.size() < size)
        line += "<Owner who=\"Pilot\">Pilot & co &amp; C:\\Users\\Pilot\\x</Owner>";
    const std::string entry = "  <Launch.Addon>\n";
    return text.insert(text.find(entry), line + "\n");
}

// The CPU time of one run of ravelo-inspect with these arguments, its
// output thrown away.
double program_seconds(std::vector<std::string> args)
{
    args.insert(args.begin(), RAVELO_INSPECT_PROGRAM);
    const pid_t child = start_program(args);
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
        throw std::runtime_error("ravelo-inspect failed on " + args.back());
    const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Inspection with and without --redact: in this process (the best of three
// rounds, memory already at hand), and as the support desk runs it, one
// ravelo-inspect --summary per report.
void run_redaction(const Config& config)
{
    std::mt19937 random(11);
    const std::pair<std::string, std::string> inputs[] = {
        {"a generated report of 16 MiB", generate_report(random, 16u << 20)},
        {"user Abe in a run of abe of 256 KiB", hex_run_report(random, 256u << 10)},
        {"user Abe in a run of abe of 1 MiB", hex_run_report(random, 1u << 20)},
        {"a dll.xml line of 1 MiB of markup", markup_line_report(random, 1u << 20)},
    };
    const std::string file = "/dev/shm/ravelo-inspect-bench-" + std::to_string(getpid()) + ".txt";
    std::printf("redaction, CPU seconds on one thread (in process: best of 3 rounds; "
                "ravelo-inspect --summary: best of 3 runs):\n");
    for (const auto& [name, text] : inputs) {
        const double inspected = best_seconds([&] { inspect_bytes(name, text, config); });
        const double redacted = best_seconds([&] { inspect_bytes(name, text, config, true); });
        std::ofstream(file, std::ios::binary) << text;
        double program = 1e9, program_redacted = 1e9;
        for (int round = 0; round < 3; ++round) {
            program = std::min(program, program_seconds({"--summary", file}));
            program_redacted =
                std::min(program_redacted, program_seconds({"--redact", "--summary", file}));
        }
        std::printf("%-36s %5.1f MiB: inspected in %.3f s, redacted and inspected in %.3f s "
                    "(%.2fx); the program %.3f s and %.3f s (%.2fx)\n",
                    name.c_str(), text.size() / 1048576.0, inspected, redacted,
                    redacted / inspected, program, program_redacted, program_redacted / program);
    }
    fs::remove(file);
}

// A hundred rules of every kind as support staff would write them: most
// name a path from its start; one in ten looks inside every key of
// HKEY_CURRENT_USER.
std::string hundred_rules()
{
    std::string toml;
    for (int i = 0; i < 100; ++i) {
        const std::string n = std::to_string(i);
        toml += "[[rule]]\nid = \"rule-" + n + "\"\nseverity = \"warning\"\nmessage = \"Rule " + n +
                ".\"\n[rule.if]\n";
        switch (i % 10) {
        case 0: toml += "file = 'Modules\\OldAutopilot" + n + ".dll'\nmd5 = '" + std::string(32, 'a') + "'\n"; break;
        case 1: toml += "file = 'Modules\\OldAutopilot" + n + ".dll'\n"; break;
        case 2: toml += "file = 'Vok\\Gauges\\*" + n + ".gau'\n"; break;
        case 3: toml += "registry = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + n + "\\*'\n"; break;
        case 4: toml += "registry = 'HKEY_LOCAL_MACHINE\\Software\\Vendor\\Flight Simulator\\Key" + n + "\\Path=*Plane" + n + "0'\n"; break;
        case 5: toml += "registry = 'HKEY_CURRENT_USER\\*\\Uninstall\\Vok " + n + "*'\n"; break;
        case 6: toml += "fsx_cfg = 'DISPLAY/TEXTURE_MAX_LOAD=" + n + "'\n[rule.unless]\nwindows = '5.*'\n"; break;
        case 7: toml += "dll_xml = '*\\OldAutopilot" + n + ".dll'\n"; break;
        case 8: toml += "assembly = 'x86_microsoft.vc90.crt_*_9.0." + n + ".*'\n"; break;
        default: toml += "release = '1." + n + "'\nwindows = '6.?'\n"; break;
        }
    }
    return toml;
}

// The same number of rules that each look inside every key and value.
std::string hundred_scanning_rules()
{
    std::string toml;
    for (int i = 0; i < 100; ++i)
        toml += "[[rule]]\nid = \"scan-" + std::to_string(i) +
                "\"\nseverity = \"info\"\nmessage = \"m\"\n[rule.if]\nregistry = '*\\Uninstall\\Vok " +
                std::to_string(i) + "*'\n";
    return toml;
}

Config config_with(const std::string& rules)
{
    const fs::path file = fs::path("/dev/shm") / ("ravelo-rules-" + std::to_string(getpid()) + ".toml");
    std::ofstream(file) << "[addon]\nmodule = \"Modules\\\\VokPanel.dll\"\nsimconnect = "
                           "[\"10.0.61259.0\"]\nvc_runtimes = [\"vc80.crt\"]\n\n"
                        << rules;
    Config config;
    std::string error;
    const bool loaded = load_config(file.string(), config, error);
    fs::remove(file);
    if (!loaded)
        throw std::runtime_error(error);
    return config;
}

double thread_seconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// CPU seconds: on a shared machine the wall clock also counts the time
// other programs held the core.
double seconds_to_inspect(const std::string& text, const Config& config)
{
    const double start = thread_seconds();
    const Inspection inspection = inspect_bytes("big.txt", text, config);
    const double took = thread_seconds() - start;
    if (inspection_failed(inspection))
        throw std::runtime_error("the 16 MiB report did not inspect");
    return took;
}

// Two thousand conditions of one piece that every byte of a long fsx.cfg
// line ends, none fitting it: the prefilter names each once a line, not
// once a byte (twelve seconds for a 15 MB line, before).
void print_shared_piece_cost(const std::string& text)
{
    std::string shared;
    for (int i = 0; i < 1000; ++i)
        shared += "[[rule]]\nid = \"shared-" + std::to_string(i) +
                  "\"\nseverity = \"info\"\nmessage = \"m\"\n[rule.if]\nfsx_cfg = '*aaaa*b'\n"
                  "[rule.unless]\nfsx_cfg = '*aaaa*c'\n";
    const std::size_t at = text.find("SETTING_0=");
    const std::string grown =
        text.substr(0, at) + "LONG=" + std::string(8 << 20, 'a') + "\n" + text.substr(at);
    const double without = seconds_to_inspect(grown, config_with(""));
    const double with = seconds_to_inspect(grown, config_with(shared));
    std::printf("with an fsx.cfg line of 8 MiB: %.2f s CPU without rules, %.2f s with a thousand "
                "whose piece each of its bytes ends\n",
                without, with);
}

void print_rules_cost()
{
    std::mt19937 random(11);
    const std::string text = generate_report(random, 16 << 20);
    const Config configs[] = {config_with(""), config_with(hundred_rules()),
                              config_with(hundred_scanning_rules())};
    double best[3] = {1e9, 1e9, 1e9};
    for (int round = 0; round < 9; ++round)
        for (int k = 0; k < 3; ++k)
            best[k] = std::min(best[k], seconds_to_inspect(text, configs[k]));
    std::printf("a report of %.1f MiB, best of 9 in CPU time: %.3f s without rules, %.3f s with a hundred "
                "rules (%.2fx; target: about 1), %.3f s with a hundred that each read every "
                "registry key and value (%.2fx)\n",
                text.size() / 1048576.0, best[0], best[1], best[1] / best[0], best[2],
                best[2] / best[0]);
    // A thousand rules whose only piece every registry item holds: each
    // must be matched against every item, until the work budget ends it.
    std::string broad;
    for (int i = 0; i < 1000; ++i)
        broad += "[[rule]]\nid = \"broad-" + std::to_string(i) +
                 "\"\nseverity = \"info\"\nmessage = \"m\"\n[rule.if]\nregistry = 'HKEY_*??Q'\n";
    const Config broad_config = config_with(broad);
    const double start = thread_seconds();
    const Inspection inspection = inspect_bytes("big.txt", text, broad_config);
    const bool unchecked = std::any_of(inspection.findings.begin(), inspection.findings.end(),
                                       [](const Finding& f) { return f.rule == "support-rules-unchecked"; });
    std::printf("the same report with a thousand rules that each fit nearly every item: %.2f s "
                "CPU (%s)\n",
                thread_seconds() - start, unchecked ? "left unchecked, a finding says so" : "checked");
    print_shared_piece_cost(text);
}

// The classic match: one pointer into each, back to the last star on a
// mismatch; a text is read again for every place its last star is tried.
bool backtracking_match(std::string_view pattern, std::string_view text)
{
    std::size_t p = 0, t = 0, star = std::string_view::npos, star_text = 0;
    while (t < text.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || fold_case(pattern[p]) == fold_case(text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_text = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++star_text;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

template <typename Match>
double seconds_to_match(Match match, bool& matched)
{
    const auto start = std::chrono::steady_clock::now();
    matched = match();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void print_megabyte_line_matches()
{
    const std::string line(1 << 20, 'a');
    std::string many_stars;
    for (int k = 0; k < 499; ++k)
        many_stars += "*a";
    const std::string patterns[] = {many_stars + "*b", many_stars + "*", "*" + std::string(900, 'a') + "b",
                                    "*" + std::string(60, 'a') + "b*"};
    std::printf("a line of 1 MiB of 'a' (seconds, and whether it matched):\n");
    for (const std::string& pattern : patterns) {
        const Wildcard compiled = compile_wildcard(pattern);
        bool ours = false, classic = false;
        const double ours_took = seconds_to_match([&] { return wildcard_matches(compiled, line); }, ours);
        const double classic_took =
            seconds_to_match([&] { return backtracking_match(pattern, line); }, classic);
        const std::string shown = pattern.size() > 24 ? pattern.substr(0, 10) + "..." +
                                                            pattern.substr(pattern.size() - 10)
                                                      : pattern;
        std::printf("  %-24s (%4zu stars, %4zu long): automaton %.4f s (%d), backtracking %.4f s (%d)\n",
                    shown.c_str(), std::size_t(std::count(pattern.begin(), pattern.end(), '*')),
                    pattern.size(), ours_took, ours, classic_took, classic);
    }
}

} // namespace

int main(int argc, char** argv)
{
    Config config;
    config.module = "Modules\\VokPanel.dll";
    config.simconnect = {"10.0.61259.0"};
    config.vc_runtimes = {"vc80.crt"};
    if (argc > 1 && std::string(argv[1]) == "redaction") {
        run_redaction(config);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "hostile") {
        run_hostile_reports(config);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "diff") {
        run_hostile_diffs(config);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "rules") {
        print_rules_cost();
        print_megabyte_line_matches();
        return 0;
    }
    if (argc > 2 && std::string(argv[1]) == "corpus") {
        const Corpus corpus = write_corpus(std::atoi(argv[2]));
        std::printf("%zu sealed reports in %s\n", corpus.files.size(), corpus.folder.c_str());
        return 0;
    }
    Corpus corpus = write_corpus();
    std::printf("%d sealed reports, %.1f MB in all, in %s\n", report_count, corpus.bytes / 1e6,
                corpus.folder.c_str());
    int status = 0;
    try {
        run(corpus, config, 1);  // warms the page cache and the allocator
        const Speed one = run(corpus, config, 1);
        const Speed two = run(corpus, config, 2);
        std::printf("two threads: %.2fx one (targets: >= 50 MB/s on one, about 1.8x on two)\n",
                    two.mb_per_s / one.mb_per_s);
        run_overview(corpus, config);  // warms up as the summary's first run does
        const Speed overview = run_overview(corpus, config);
        // Per CPU second as well: on a shared machine the wall clock also
        // counts the time other programs held the core.
        std::printf("overview: %.2fx the summary's throughput on one thread, %.2fx per CPU "
                    "second (target: >= 0.8)\n",
                    overview.mb_per_s / one.mb_per_s, overview.mb_per_cpu_s / one.mb_per_cpu_s);
        print_peak_memory(corpus);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "inspect_bench: %s\n", failure.what());
        status = 1;
    }
    fs::remove_all(corpus.folder);
    run_hostile_reports(config);
    run_hostile_diffs(config);
    print_rules_cost();
    print_megabyte_line_matches();
    return status;
}
