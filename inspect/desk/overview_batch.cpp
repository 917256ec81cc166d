#include "output/overview.h"

#include "desk/batch.h"
#include "output/outputs.h"
#include "report/file_names.h"

#include <filesystem>
#include <fstream>

namespace {

bool write_page(const std::filesystem::path& path, const Inspection& inspection)
{
    std::ofstream page(path, std::ios::binary | std::ios::trunc);
    write_html(inspection, page);
    page.close();
    return bool(page);
}

} // namespace

bool write_overview_folder(const std::vector<std::string>& reports, const Config& config,
                           const OverviewSettings& settings,
                           const std::function<std::string(const Inspection&)>& summarize,
                           std::ostream& out, std::size_t& failed, std::string& error)
{
    const std::filesystem::path folder = path_from_utf8(settings.folder);
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        error = "cannot make " + settings.folder + ": " + made.message();
        return false;
    }
    // The batch hands each worker an input; giving it the report's number
    // lets each fill its own row and mark its own page unwritten, so the
    // workers share nothing to lock.
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < reports.size(); ++i)
        numbers.push_back(std::to_string(i));
    std::vector<OverviewRow> rows(reports.size());
    std::vector<char> page_unwritten(reports.size(), 0);
    failed = run_batch(
        numbers, settings.jobs,
        [&](const std::string& number) {
            const std::size_t i = std::stoul(number);
            Inspection inspection;
            try {
                inspection = inspect_file(reports[i], config, settings.redact);
            } catch (const std::exception& failure) {
                inspection = Inspection{};
                inspection.source = reports[i];
                inspection.error = std::string("inspection failed: ") + failure.what();
            }
            rows[i] = overview_row(inspection, page_name(i, inspection.source));
            page_unwritten[i] = !write_page(folder / rows[i].page, inspection);
            return BatchResult{summarize(inspection), inspection_failed(inspection)};
        },
        out);
    // Only the first page error is said; the index links no page missing.
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (page_unwritten[i]) {
            if (error.empty())
                error = "cannot write " + utf8_from_path(folder / rows[i].page);
            rows[i].page.clear();
        }
    std::ofstream page(folder / "index.html", std::ios::binary | std::ios::trunc);
    write_overview(rows, page);
    page.close();
    if (!page && error.empty())
        error = "cannot write " + utf8_from_path(folder / "index.html");
    return error.empty();
}
