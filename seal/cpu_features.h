#pragma once

// What the processor offers, asked of CPUID. Both are false on a processor
// that is not x86.

// SSE2: 128-bit integer vectors.
bool cpu_has_sse2();
// AVX2: 256-bit integer vectors. Also asks the operating system (XGETBV)
// whether it saves the 256-bit registers on a thread switch: Windows before
// 7 SP1 does not, and there AVX2 instructions would fault or corrupt.
bool cpu_has_avx2();
