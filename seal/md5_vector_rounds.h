#pragma once
// The compression function of RFC 1321 over vectors of 32-bit words, one
// lane per message, written with GCC's vector extensions so that one text
// serves every vector width. Only the files that compile it for one
// instruction set include it, each from a function built for that set.
#include <cstdint>

// A vector of lanes 32-bit words, on x86 as in memory: little-endian, as
// MD5 reads its message words.
#define MD5_VECTOR_TYPE(name, lanes) \
    typedef std::uint32_t name __attribute__((vector_size(4 * (lanes)), may_alias))

#define MD5_VECTOR_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_VECTOR_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_VECTOR_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_VECTOR_I(x, y, z) ((y) ^ ((x) | ~(z)))

#define MD5_VECTOR_STEP(f, a, b, c, d, x, s, t)              \
    do {                                                      \
        a += f(b, c, d) + (x) + (std::uint32_t)(t);           \
        a = ((a << (s)) | (a >> (32 - (s)))) + b;             \
    } while (0)

// Folds one block of each lane, its message words transposed into x (x[w]
// holds word w of every lane), into the chaining words a, b, c, d.
template <typename V>
__attribute__((always_inline)) inline void compress_vector_block(V& a, V& b, V& c, V& d, const V x[16])
{
    const V a0 = a, b0 = b, c0 = c, d0 = d;

    MD5_VECTOR_STEP(MD5_VECTOR_F, a, b, c, d, x[0], 7, 0xd76aa478);
    MD5_VECTOR_STEP(MD5_VECTOR_F, d, a, b, c, x[1], 12, 0xe8c7b756);
    MD5_VECTOR_STEP(MD5_VECTOR_F, c, d, a, b, x[2], 17, 0x242070db);
    MD5_VECTOR_STEP(MD5_VECTOR_F, b, c, d, a, x[3], 22, 0xc1bdceee);
    MD5_VECTOR_STEP(MD5_VECTOR_F, a, b, c, d, x[4], 7, 0xf57c0faf);
    MD5_VECTOR_STEP(MD5_VECTOR_F, d, a, b, c, x[5], 12, 0x4787c62a);
    MD5_VECTOR_STEP(MD5_VECTOR_F, c, d, a, b, x[6], 17, 0xa8304613);
    MD5_VECTOR_STEP(MD5_VECTOR_F, b, c, d, a, x[7], 22, 0xfd469501);
    MD5_VECTOR_STEP(MD5_VECTOR_F, a, b, c, d, x[8], 7, 0x698098d8);
    MD5_VECTOR_STEP(MD5_VECTOR_F, d, a, b, c, x[9], 12, 0x8b44f7af);
    MD5_VECTOR_STEP(MD5_VECTOR_F, c, d, a, b, x[10], 17, 0xffff5bb1);
    MD5_VECTOR_STEP(MD5_VECTOR_F, b, c, d, a, x[11], 22, 0x895cd7be);
    MD5_VECTOR_STEP(MD5_VECTOR_F, a, b, c, d, x[12], 7, 0x6b901122);
    MD5_VECTOR_STEP(MD5_VECTOR_F, d, a, b, c, x[13], 12, 0xfd987193);
    MD5_VECTOR_STEP(MD5_VECTOR_F, c, d, a, b, x[14], 17, 0xa679438e);
    MD5_VECTOR_STEP(MD5_VECTOR_F, b, c, d, a, x[15], 22, 0x49b40821);

    MD5_VECTOR_STEP(MD5_VECTOR_G, a, b, c, d, x[1], 5, 0xf61e2562);
    MD5_VECTOR_STEP(MD5_VECTOR_G, d, a, b, c, x[6], 9, 0xc040b340);
    MD5_VECTOR_STEP(MD5_VECTOR_G, c, d, a, b, x[11], 14, 0x265e5a51);
    MD5_VECTOR_STEP(MD5_VECTOR_G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
    MD5_VECTOR_STEP(MD5_VECTOR_G, a, b, c, d, x[5], 5, 0xd62f105d);
    MD5_VECTOR_STEP(MD5_VECTOR_G, d, a, b, c, x[10], 9, 0x02441453);
    MD5_VECTOR_STEP(MD5_VECTOR_G, c, d, a, b, x[15], 14, 0xd8a1e681);
    MD5_VECTOR_STEP(MD5_VECTOR_G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
    MD5_VECTOR_STEP(MD5_VECTOR_G, a, b, c, d, x[9], 5, 0x21e1cde6);
    MD5_VECTOR_STEP(MD5_VECTOR_G, d, a, b, c, x[14], 9, 0xc33707d6);
    MD5_VECTOR_STEP(MD5_VECTOR_G, c, d, a, b, x[3], 14, 0xf4d50d87);
    MD5_VECTOR_STEP(MD5_VECTOR_G, b, c, d, a, x[8], 20, 0x455a14ed);
    MD5_VECTOR_STEP(MD5_VECTOR_G, a, b, c, d, x[13], 5, 0xa9e3e905);
    MD5_VECTOR_STEP(MD5_VECTOR_G, d, a, b, c, x[2], 9, 0xfcefa3f8);
    MD5_VECTOR_STEP(MD5_VECTOR_G, c, d, a, b, x[7], 14, 0x676f02d9);
    MD5_VECTOR_STEP(MD5_VECTOR_G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

    MD5_VECTOR_STEP(MD5_VECTOR_H, a, b, c, d, x[5], 4, 0xfffa3942);
    MD5_VECTOR_STEP(MD5_VECTOR_H, d, a, b, c, x[8], 11, 0x8771f681);
    MD5_VECTOR_STEP(MD5_VECTOR_H, c, d, a, b, x[11], 16, 0x6d9d6122);
    MD5_VECTOR_STEP(MD5_VECTOR_H, b, c, d, a, x[14], 23, 0xfde5380c);
    MD5_VECTOR_STEP(MD5_VECTOR_H, a, b, c, d, x[1], 4, 0xa4beea44);
    MD5_VECTOR_STEP(MD5_VECTOR_H, d, a, b, c, x[4], 11, 0x4bdecfa9);
    MD5_VECTOR_STEP(MD5_VECTOR_H, c, d, a, b, x[7], 16, 0xf6bb4b60);
    MD5_VECTOR_STEP(MD5_VECTOR_H, b, c, d, a, x[10], 23, 0xbebfbc70);
    MD5_VECTOR_STEP(MD5_VECTOR_H, a, b, c, d, x[13], 4, 0x289b7ec6);
    MD5_VECTOR_STEP(MD5_VECTOR_H, d, a, b, c, x[0], 11, 0xeaa127fa);
    MD5_VECTOR_STEP(MD5_VECTOR_H, c, d, a, b, x[3], 16, 0xd4ef3085);
    MD5_VECTOR_STEP(MD5_VECTOR_H, b, c, d, a, x[6], 23, 0x04881d05);
    MD5_VECTOR_STEP(MD5_VECTOR_H, a, b, c, d, x[9], 4, 0xd9d4d039);
    MD5_VECTOR_STEP(MD5_VECTOR_H, d, a, b, c, x[12], 11, 0xe6db99e5);
    MD5_VECTOR_STEP(MD5_VECTOR_H, c, d, a, b, x[15], 16, 0x1fa27cf8);
    MD5_VECTOR_STEP(MD5_VECTOR_H, b, c, d, a, x[2], 23, 0xc4ac5665);

    MD5_VECTOR_STEP(MD5_VECTOR_I, a, b, c, d, x[0], 6, 0xf4292244);
    MD5_VECTOR_STEP(MD5_VECTOR_I, d, a, b, c, x[7], 10, 0x432aff97);
    MD5_VECTOR_STEP(MD5_VECTOR_I, c, d, a, b, x[14], 15, 0xab9423a7);
    MD5_VECTOR_STEP(MD5_VECTOR_I, b, c, d, a, x[5], 21, 0xfc93a039);
    MD5_VECTOR_STEP(MD5_VECTOR_I, a, b, c, d, x[12], 6, 0x655b59c3);
    MD5_VECTOR_STEP(MD5_VECTOR_I, d, a, b, c, x[3], 10, 0x8f0ccc92);
    MD5_VECTOR_STEP(MD5_VECTOR_I, c, d, a, b, x[10], 15, 0xffeff47d);
    MD5_VECTOR_STEP(MD5_VECTOR_I, b, c, d, a, x[1], 21, 0x85845dd1);
    MD5_VECTOR_STEP(MD5_VECTOR_I, a, b, c, d, x[8], 6, 0x6fa87e4f);
    MD5_VECTOR_STEP(MD5_VECTOR_I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
    MD5_VECTOR_STEP(MD5_VECTOR_I, c, d, a, b, x[6], 15, 0xa3014314);
    MD5_VECTOR_STEP(MD5_VECTOR_I, b, c, d, a, x[13], 21, 0x4e0811a1);
    MD5_VECTOR_STEP(MD5_VECTOR_I, a, b, c, d, x[4], 6, 0xf7537e82);
    MD5_VECTOR_STEP(MD5_VECTOR_I, d, a, b, c, x[11], 10, 0xbd3af235);
    MD5_VECTOR_STEP(MD5_VECTOR_I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
    MD5_VECTOR_STEP(MD5_VECTOR_I, b, c, d, a, x[9], 21, 0xeb86d391);

    a += a0;
    b += b0;
    c += c0;
    d += d0;
}
