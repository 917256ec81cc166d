// run_batch on Win32 threads: mingw's win32 thread model, which the Windows
// trees build with, has no std::thread.
#include "desk/batch.h"

#include <windows.h>

#include <atomic>
#include <optional>

namespace {

struct Shared {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE ready = CONDITION_VARIABLE_INIT;
    std::vector<std::optional<BatchResult>> results;
    std::atomic<std::size_t> next{0};
    const std::vector<std::string>* inputs = nullptr;
    const std::function<BatchResult(const std::string&)>* work = nullptr;
};

DWORD WINAPI work_through(void* argument)
{
    Shared& shared = *static_cast<Shared*>(argument);
    for (std::size_t i; (i = shared.next++) < shared.inputs->size();) {
        BatchResult result = (*shared.work)((*shared.inputs)[i]);
        AcquireSRWLockExclusive(&shared.lock);
        shared.results[i] = std::move(result);
        ReleaseSRWLockExclusive(&shared.lock);
        WakeAllConditionVariable(&shared.ready);
    }
    return 0;
}

BatchResult wait_for(Shared& shared, std::size_t i)
{
    AcquireSRWLockExclusive(&shared.lock);
    while (!shared.results[i].has_value())
        SleepConditionVariableSRW(&shared.ready, &shared.lock, INFINITE, 0);
    BatchResult result = std::move(*shared.results[i]);
    shared.results[i].reset();
    ReleaseSRWLockExclusive(&shared.lock);
    return result;
}

} // namespace

unsigned processor_count()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::max<unsigned>(1, info.dwNumberOfProcessors);
}

std::size_t run_batch(const std::vector<std::string>& inputs, unsigned jobs,
                      const std::function<BatchResult(const std::string&)>& work,
                      std::ostream& out)
{
    Shared shared;
    shared.results.resize(inputs.size());
    shared.inputs = &inputs;
    shared.work = &work;
    std::vector<HANDLE> workers;
    for (unsigned j = 0; j < std::max(1u, jobs); ++j)
        if (HANDLE worker = CreateThread(nullptr, 0, work_through, &shared, 0, nullptr))
            workers.push_back(worker);
    // Without a thread to spare, the inputs are worked through here.
    if (workers.empty())
        work_through(&shared);
    std::size_t failed = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const BatchResult result = wait_for(shared, i);
        out << result.output;
        failed += result.failed;
    }
    for (HANDLE worker : workers) {
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
    }
    out.flush();
    return failed;
}
