#pragma once
#include <cstddef>
#include <cstdint>

// Multi-buffer MD5: several messages digested side by side on one thread,
// each in one lane of a vector register. One message alone is a single chain
// of dependent steps that leaves most of the processor idle; independent
// messages fill it.

// How the lanes are computed: one at a time, or 4 or 8 at once.
enum class md5_path { scalar, sse2, avx2 };

const unsigned max_md5_lanes = 8;

// The chaining words A, B, C, D of RFC 1321 of each lane: word[w][lane].
struct md5_lane_states {
    alignas(32) std::uint32_t word[4][max_md5_lanes];
};

// True when this processor (and, for AVX2, its operating system) runs path.
bool md5_path_available(md5_path path);
// The available path with the most lanes.
md5_path fastest_md5_path();
// 1, 4 or 8.
unsigned md5_lane_count(md5_path path);

// Sets the lane's chaining words to the initial values of RFC 1321.
void start_md5_lane(md5_lane_states& states, unsigned lane);
// The lane's chaining words, A first.
void lane_chaining(const md5_lane_states& states, unsigned lane, std::uint32_t chaining[4]);
void set_lane_chaining(md5_lane_states& states, unsigned lane, const std::uint32_t chaining[4]);

// Folds block_count consecutive 64-byte blocks, starting at blocks[lane],
// into each of the path's lanes. Every lane of the path must point at
// block_count readable blocks; a lane whose result is not wanted may point
// at another lane's blocks. path must be available.
void compress_md5_lanes(md5_path path, md5_lane_states& states,
                        const unsigned char* const blocks[], std::size_t block_count);
