#include "desk/batch.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

struct Shared {
    std::mutex lock;
    std::condition_variable ready;
    std::vector<std::optional<BatchResult>> results;
    std::atomic<std::size_t> next{0};
};

void work_through(Shared& shared, const std::vector<std::string>& inputs,
                  const std::function<BatchResult(const std::string&)>& work)
{
    for (std::size_t i; (i = shared.next++) < inputs.size();) {
        BatchResult result = work(inputs[i]);
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.results[i] = std::move(result);
        shared.ready.notify_all();
    }
}

} // namespace

unsigned processor_count()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

std::size_t run_batch(const std::vector<std::string>& inputs, unsigned jobs,
                      const std::function<BatchResult(const std::string&)>& work,
                      std::ostream& out)
{
    Shared shared;
    shared.results.resize(inputs.size());
    std::vector<std::thread> workers;
    for (unsigned j = 0; j < std::max(1u, jobs); ++j)
        workers.emplace_back(work_through, std::ref(shared), std::cref(inputs), std::cref(work));
    std::size_t failed = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        BatchResult result;
        {
            std::unique_lock<std::mutex> hold(shared.lock);
            shared.ready.wait(hold, [&] { return shared.results[i].has_value(); });
            result = std::move(*shared.results[i]);
            shared.results[i].reset();
        }
        out << result.output;
        failed += result.failed;
    }
    for (std::thread& worker : workers)
        worker.join();
    out.flush();
    return failed;
}
