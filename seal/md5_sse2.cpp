// Built for SSE2 whatever the target's baseline, and run only where the
// processor has it.
#if defined(__i386__) || defined(__x86_64__)
#include "md5_lanes.h"
#include "md5_vector_rounds.h"

#include <emmintrin.h>

namespace {

MD5_VECTOR_TYPE(vector_4, 4);

// Words 4k to 4k + 3 of the four lanes' blocks, transposed: x[4k + j] holds
// word 4k + j of every lane.
__attribute__((target("sse2"), always_inline)) inline void load_words(
    vector_4 x[16], const unsigned char* const blocks[], std::size_t offset)
{
    for (int k = 0; k < 4; ++k) {
        __m128i row[4];
        for (int lane = 0; lane < 4; ++lane)
            row[lane] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks[lane] + offset + 16 * k));
        const __m128i low01 = _mm_unpacklo_epi32(row[0], row[1]);
        const __m128i low23 = _mm_unpacklo_epi32(row[2], row[3]);
        const __m128i high01 = _mm_unpackhi_epi32(row[0], row[1]);
        const __m128i high23 = _mm_unpackhi_epi32(row[2], row[3]);
        x[4 * k] = vector_4(_mm_unpacklo_epi64(low01, low23));
        x[4 * k + 1] = vector_4(_mm_unpackhi_epi64(low01, low23));
        x[4 * k + 2] = vector_4(_mm_unpacklo_epi64(high01, high23));
        x[4 * k + 3] = vector_4(_mm_unpackhi_epi64(high01, high23));
    }
}

} // namespace

// 32-bit Windows keeps its stacks aligned to 4 bytes only; the vectors
// spilled to the stack need 16.
__attribute__((target("sse2"), force_align_arg_pointer)) void compress_md5_lanes_sse2(
    md5_lane_states& states, const unsigned char* const blocks[], std::size_t block_count)
{
    vector_4 a = *reinterpret_cast<const vector_4*>(states.word[0]);
    vector_4 b = *reinterpret_cast<const vector_4*>(states.word[1]);
    vector_4 c = *reinterpret_cast<const vector_4*>(states.word[2]);
    vector_4 d = *reinterpret_cast<const vector_4*>(states.word[3]);
    for (std::size_t n = 0; n < block_count; ++n) {
        vector_4 x[16];
        load_words(x, blocks, 64 * n);
        compress_vector_block(a, b, c, d, x);
    }
    *reinterpret_cast<vector_4*>(states.word[0]) = a;
    *reinterpret_cast<vector_4*>(states.word[1]) = b;
    *reinterpret_cast<vector_4*>(states.word[2]) = c;
    *reinterpret_cast<vector_4*>(states.word[3]) = d;
}
#endif
