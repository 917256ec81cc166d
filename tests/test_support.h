#pragma once
#include <filesystem>
#include <string>
#include <vector>

// A fresh directory under the system's temporary folder, removed with all
// its content when the object goes. The current directory is moved into it
// while the object lives, when asked.
class ScratchDirectory {
public:
    explicit ScratchDirectory(bool enter = false);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return root; }
    // The path of name inside the directory, as text.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path root;
    std::filesystem::path previous_directory;
};

// The text's lines, without their line feeds.
std::vector<std::string> lines_of(const std::string& text);

std::string read_file_bytes(const std::filesystem::path& path);
void write_file_bytes(const std::filesystem::path& path, const std::string& bytes);

// Empties report_stream and the scan's path buffers, as at process start.
void reset_scan_state();
