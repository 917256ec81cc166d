#include "overview_output.h"

#include "batch.h"
#include "outputs.h"

#include <filesystem>
#include <fstream>
#include <mutex>

namespace {

bool write_page(const std::string& path, const Inspection& inspection)
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
    const std::filesystem::path folder(settings.folder);
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        error = "cannot make " + settings.folder + ": " + made.message();
        return false;
    }
    // The batch hands each worker an input; giving it the report's number
    // lets each fill its own row. Only the first page error is kept.
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < reports.size(); ++i)
        numbers.push_back(std::to_string(i));
    std::vector<OverviewRow> rows(reports.size());
    std::mutex error_lock;
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
            const std::string page = (folder / rows[i].page).string();
            if (!write_page(page, inspection)) {
                std::lock_guard<std::mutex> hold(error_lock);
                if (error.empty())
                    error = "cannot write " + page;
            }
            return BatchResult{summarize(inspection), inspection_failed(inspection)};
        },
        out);
    const std::string index = (folder / "index.html").string();
    std::ofstream page(index, std::ios::binary | std::ios::trunc);
    write_overview(rows, page);
    page.close();
    if (!page && error.empty())
        error = "cannot write " + index;
    return error.empty();
}
