#include "md5_lanes.h"

#include "cpu_features.h"
#include "md5.h"

#include <cassert>

#if defined(__i386__) || defined(__x86_64__)
void compress_md5_lanes_sse2(md5_lane_states& states, const unsigned char* const blocks[],
                             std::size_t block_count);
void compress_md5_lanes_avx2(md5_lane_states& states, const unsigned char* const blocks[],
                             std::size_t block_count);
#endif

bool md5_path_available(md5_path path)
{
    // Asked once: CPUID is slow under a hypervisor, and the answer stays.
    static const bool sse2 = cpu_has_sse2();
    static const bool avx2 = cpu_has_avx2();
    switch (path) {
    case md5_path::sse2:
        return sse2;
    case md5_path::avx2:
        return avx2;
    default:
        return true;
    }
}

md5_path fastest_md5_path()
{
    if (md5_path_available(md5_path::avx2))
        return md5_path::avx2;
    return md5_path_available(md5_path::sse2) ? md5_path::sse2 : md5_path::scalar;
}

unsigned md5_lane_count(md5_path path)
{
    switch (path) {
    case md5_path::sse2:
        return 4;
    case md5_path::avx2:
        return 8;
    default:
        return 1;
    }
}

void start_md5_lane(md5_lane_states& states, unsigned lane)
{
    static const std::uint32_t initial[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    set_lane_chaining(states, lane, initial);
}

void lane_chaining(const md5_lane_states& states, unsigned lane, std::uint32_t chaining[4])
{
    for (int w = 0; w < 4; ++w)
        chaining[w] = states.word[w][lane];
}

void set_lane_chaining(md5_lane_states& states, unsigned lane, const std::uint32_t chaining[4])
{
    for (int w = 0; w < 4; ++w)
        states.word[w][lane] = chaining[w];
}

void compress_md5_lanes(md5_path path, md5_lane_states& states,
                        const unsigned char* const blocks[], std::size_t block_count)
{
    assert(md5_path_available(path));
#if defined(__i386__) || defined(__x86_64__)
    if (path == md5_path::avx2)
        return compress_md5_lanes_avx2(states, blocks, block_count);
    if (path == md5_path::sse2)
        return compress_md5_lanes_sse2(states, blocks, block_count);
#endif
    std::uint32_t chaining[4];
    lane_chaining(states, 0, chaining);
    md5_compress(chaining, blocks[0], block_count);
    set_lane_chaining(states, 0, chaining);
}
