// Built for AVX2 whatever the target's baseline, and run only where the
// processor and its operating system have it.
#if defined(__i386__) || defined(__x86_64__)
#include "md5_lanes.h"
#include "md5_vector_rounds.h"

#include <immintrin.h>

namespace {

MD5_VECTOR_TYPE(vector_8, 8);

// Words 4k to 4k + 3 of the eight lanes' blocks, transposed: x[4k + j] holds
// word 4k + j of every lane. Lanes 0 to 3 go to the low 128 bits and lanes 4
// to 7 to the high ones, where AVX2's unpacking works as SSE2's does.
__attribute__((target("avx2"), always_inline)) inline void load_words(
    vector_8 x[16], const unsigned char* const blocks[], std::size_t offset)
{
    for (int k = 0; k < 4; ++k) {
        __m256i row[4];
        for (int lane = 0; lane < 4; ++lane) {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks[lane] + offset + 16 * k));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks[lane + 4] + offset + 16 * k));
            row[lane] = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
        }
        const __m256i low01 = _mm256_unpacklo_epi32(row[0], row[1]);
        const __m256i low23 = _mm256_unpacklo_epi32(row[2], row[3]);
        const __m256i high01 = _mm256_unpackhi_epi32(row[0], row[1]);
        const __m256i high23 = _mm256_unpackhi_epi32(row[2], row[3]);
        x[4 * k] = vector_8(_mm256_unpacklo_epi64(low01, low23));
        x[4 * k + 1] = vector_8(_mm256_unpackhi_epi64(low01, low23));
        x[4 * k + 2] = vector_8(_mm256_unpacklo_epi64(high01, high23));
        x[4 * k + 3] = vector_8(_mm256_unpackhi_epi64(high01, high23));
    }
}

} // namespace

// 32-bit Windows keeps its stacks aligned to 4 bytes only; the vectors
// spilled to the stack need 32.
__attribute__((target("avx2"), force_align_arg_pointer)) void compress_md5_lanes_avx2(
    md5_lane_states& states, const unsigned char* const blocks[], std::size_t block_count)
{
    vector_8 a = *reinterpret_cast<const vector_8*>(states.word[0]);
    vector_8 b = *reinterpret_cast<const vector_8*>(states.word[1]);
    vector_8 c = *reinterpret_cast<const vector_8*>(states.word[2]);
    vector_8 d = *reinterpret_cast<const vector_8*>(states.word[3]);
    for (std::size_t n = 0; n < block_count; ++n) {
        vector_8 x[16];
        load_words(x, blocks, 64 * n);
        compress_vector_block(a, b, c, d, x);
    }
    *reinterpret_cast<vector_8*>(states.word[0]) = a;
    *reinterpret_cast<vector_8*>(states.word[1]) = b;
    *reinterpret_cast<vector_8*>(states.word[2]) = c;
    *reinterpret_cast<vector_8*>(states.word[3]) = d;
}
#endif
