#include "cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>

namespace {

const unsigned sse2_bit = 1u << 26;    // leaf 1, EDX
const unsigned osxsave_bit = 1u << 27; // leaf 1, ECX: XGETBV is usable
const unsigned avx_bit = 1u << 28;     // leaf 1, ECX
const unsigned avx2_bit = 1u << 5;     // leaf 7, EBX
const unsigned xmm_and_ymm_state = 0x6;

unsigned long long extended_control_register_0()
{
    unsigned low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<unsigned long long>(high) << 32 | low;
}

} // namespace

bool cpu_has_sse2()
{
    unsigned eax, ebx, ecx, edx;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & sse2_bit);
}

bool cpu_has_avx2()
{
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & osxsave_bit) || !(ecx & avx_bit))
        return false;
    if ((extended_control_register_0() & xmm_and_ymm_state) != xmm_and_ymm_state)
        return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & avx2_bit);
}

#else

bool cpu_has_sse2()
{
    return false;
}

bool cpu_has_avx2()
{
    return false;
}

#endif
