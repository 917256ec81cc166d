#include "fault_injection.h"

namespace {

unsigned countdown[static_cast<int>(substitute_call::count)];

} // namespace

void fail_call(substitute_call call, unsigned nth)
{
    countdown[static_cast<int>(call)] = nth;
}

void clear_call_failures()
{
    for (unsigned& left : countdown)
        left = 0;
}

bool call_fails(substitute_call call)
{
    unsigned& left = countdown[static_cast<int>(call)];
    if (left == 0)
        return false;
    return --left == 0;
}
