#include "fault_injection.h"

namespace {

unsigned countdown[static_cast<int>(substitute_call::count)];
unsigned failures_left[static_cast<int>(substitute_call::count)];
unsigned made[static_cast<int>(substitute_call::count)];
unsigned long chosen_error[static_cast<int>(substitute_call::count)];
bool index_zero = false;
void (*failure_watcher)(const std::string&) = nullptr;

} // namespace

void fail_call(substitute_call call, unsigned nth, unsigned times, unsigned long error)
{
    countdown[static_cast<int>(call)] = times > 0 ? nth : 0;
    failures_left[static_cast<int>(call)] = times;
    chosen_error[static_cast<int>(call)] = error;
}

void clear_call_failures()
{
    for (unsigned& left : countdown)
        left = 0;
    for (unsigned& calls : made)
        calls = 0;
    for (unsigned long& error : chosen_error)
        error = 0;
    index_zero = false;
}

unsigned calls_made(substitute_call call)
{
    return made[static_cast<int>(call)];
}

bool call_fails(substitute_call call)
{
    ++made[static_cast<int>(call)];
    unsigned& left = countdown[static_cast<int>(call)];
    if (left == 0 || --left != 0)
        return false;
    if (--failures_left[static_cast<int>(call)] > 0)
        left = 1;
    note_injected_failure();
    return true;
}

unsigned long injected_error(substitute_call call, unsigned long usual)
{
    const unsigned long chosen = chosen_error[static_cast<int>(call)];
    return chosen != 0 ? chosen : usual;
}

void watch_injected_failures(void (*watcher)(const std::string&))
{
    failure_watcher = watcher;
}

void note_injected_failure(const std::string& key_path)
{
    if (failure_watcher)
        failure_watcher(key_path);
}

void give_every_folder_index_zero(bool on)
{
    index_zero = on;
}

bool every_folder_has_index_zero()
{
    return index_zero;
}
