#include "call_counts.h"

#include <unordered_map>

namespace {

std::unordered_map<const char*, unsigned long long> counts;

} // namespace

void count_call(const char* operation)
{
    ++counts[operation];
}

std::map<std::string, unsigned long long> call_counts()
{
    std::map<std::string, unsigned long long> by_name;
    for (const auto& entry : counts)
        by_name[entry.first] += entry.second;
    return by_name;
}

void clear_call_counts()
{
    counts.clear();
}
