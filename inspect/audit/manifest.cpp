#include "audit/manifest.h"

#include "report/config_files.h"
#include "report/file_names.h"
#include "report/text_encoding.h"
#include "rules/helpers.h"
#include "seal/md5.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

bool digest_file(const fs::path& path, std::string& digest)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    MD5 md5;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        md5.update(reinterpret_cast<const unsigned char*>(chunk),
                   static_cast<std::uint32_t>(in.gcount()));
    if (in.bad())
        return false;
    md5.finalize();
    digest = md5.hex_digest();
    return true;
}

std::string windows_path(const fs::path& relative)
{
    std::string text = relative.generic_u8string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

bool is_digest(const std::string& text)
{
    return text.size() == 32 && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

struct Score {
    std::size_t same = 0, differing = 0;
};

// Files of the report's tree, by folded path.
using TreeFiles = std::unordered_map<std::string, const TreeEntry*>;

Score score(const Manifest& manifest, const TreeFiles& tree)
{
    Score result;
    for (const auto& [path, digest] : manifest.files) {
        const auto found = tree.find(folded(path));
        if (found == tree.end() || !found->second->digest)
            ++result.differing;
        else if (*found->second->digest == digest)
            ++result.same;
        else
            ++result.differing;
    }
    return result;
}

const Manifest* best_release(const std::vector<Manifest>& manifests, const TreeFiles& tree)
{
    const Manifest* best = nullptr;
    Score best_score;
    for (const Manifest& manifest : manifests) {
        const Score s = score(manifest, tree);
        if (!best || s.same > best_score.same ||
            (s.same == best_score.same && s.differing < best_score.differing)) {
            best = &manifest;
            best_score = s;
        }
    }
    return best;
}

AuditedFile audited(const TreeEntry& entry)
{
    AuditedFile file;
    file.path = entry.path;
    file.digest = entry.digest;
    file.line = entry.line;
    file.status = entry.digest ? FileStatus::unchecked : FileStatus::unreadable;
    return file;
}

} // namespace

bool write_manifest(const std::string& folder, std::ostream& out, std::string& error)
{
    std::error_code failure;
    const fs::path top = path_from_utf8(folder);
    std::vector<std::pair<std::string, fs::path>> files;
    for (fs::recursive_directory_iterator it(top, failure), end; !failure && it != end;
         it.increment(failure))
        if (it->is_regular_file())
            files.emplace_back(windows_path(it->path().lexically_relative(top)), it->path());
    if (failure) {
        error = "cannot list " + folder + ": " + failure.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const auto& [relative, path] : files) {
        std::string digest;
        if (!digest_file(path, digest)) {
            error = "cannot read " + utf8_from_path(path);
            return false;
        }
        out << digest << "  " << relative << '\n';
    }
    return bool(out);
}

bool read_manifest(const std::string& file, Manifest& manifest, std::string& error)
{
    std::ifstream in(path_from_utf8(file), std::ios::binary);
    if (!in) {
        error = "cannot read " + file;
        return false;
    }
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::string digest = line.substr(0, 32);
        if (!is_digest(digest) || line.size() < 35 || line[32] != ' ' ||
            (line[33] != ' ' && line[33] != '*')) {
            error = file + ":" + std::to_string(number) + ": not an md5sum line";
            return false;
        }
        std::string path = ansi_from_maker_text(line.substr(34));
        std::replace(path.begin(), path.end(), '/', '\\');
        manifest.files.emplace_back(std::move(path), folded(digest));
    }
    return true;
}

FileAudit audit_files(const Report& report, const Config& config)
{
    FileAudit audit;
    TreeFiles tree;
    for (const TreeEntry& entry : report.vok.entries)
        if (!entry.folder)
            tree.emplace(folded(entry.path), &entry);
    // Without an install path the tree was listed somewhere else.
    const Manifest* release =
        trees_are_meaningful(report) ? best_release(config.manifests, tree) : nullptr;
    if (!release) {
        for (const TreeEntry& entry : report.vok.entries)
            if (!entry.folder)
                audit.files.push_back(audited(entry));
        return audit;
    }
    audit.release = release->release;
    std::unordered_map<std::string, std::size_t> shipped;
    for (std::size_t k = 0; k < release->files.size(); ++k)
        shipped.emplace(folded(release->files[k].first), k);
    for (const TreeEntry& entry : report.vok.entries) {
        if (entry.folder)
            continue;
        AuditedFile file = audited(entry);
        const auto found = shipped.find(folded(entry.path));
        if (found != shipped.end()) {
            file.expected = release->files[found->second].second;
            if (file.digest)
                file.status = *file.digest == *file.expected ? FileStatus::ok : FileStatus::modified;
            shipped.erase(found);
        } else if (file.digest) {
            file.status = FileStatus::extra;
        }
        audit.files.push_back(std::move(file));
    }
    std::vector<std::size_t> missing;
    for (const auto& [path, k] : shipped)
        missing.push_back(k);
    std::sort(missing.begin(), missing.end());
    for (std::size_t k : missing) {
        AuditedFile file;
        file.path = release->files[k].first;
        // Under a folder Ravelo could not list, absence proves nothing.
        file.status = under_unlisted_folder(config.addon_name + "\\" + file.path, report, config)
                          ? FileStatus::unchecked
                          : FileStatus::missing;
        file.expected = release->files[k].second;
        audit.files.push_back(std::move(file));
    }
    return audit;
}
