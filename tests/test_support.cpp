#include "test_support.h"

#include "scan/report.h"
#include "scan/scan_state.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory(bool enter)
{
    static std::atomic<unsigned> serial{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root = fs::temp_directory_path() /
           ("ravelo-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    fs::create_directories(root);
    if (enter) {
        previous_directory = fs::current_path();
        fs::current_path(root);
    }
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    if (!previous_directory.empty())
        fs::current_path(previous_directory, ignored);
    // Read-only entries made by a test must not keep the tree alive.
    // An iterator that fails to step stays where it is: stop there.
    std::error_code stepping;
    for (auto it = fs::recursive_directory_iterator(root, stepping);
         !stepping && it != fs::recursive_directory_iterator(); it.increment(stepping))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root, ignored);
}

std::string ScratchDirectory::file(const std::string& name) const
{
    return (root / name).string();
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string read_file_bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file_bytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), bytes.size());
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void reset_scan_state()
{
    report_stream.str("");
    report_stream.clear();
    std::memset(fsx_path, 0, sizeof fsx_path);
    std::memset(app_data_path, 0, sizeof app_data_path);
}
