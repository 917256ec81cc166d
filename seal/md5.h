#pragma once
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

// MD5 message digest (RFC 1321) of the bytes of an input stream.
class MD5 {
public:
    // Reads the stream while it is good, 1024 bytes at a time, and finalizes.
    // A stream that is not good from the start gives the digest of no input;
    // a read error part-way gives the digest of the bytes read before it.
    explicit MD5(std::istream& input);
    // Starts an empty, unfinalized digest.
    MD5();
    // Resumes a digest whose first length bytes, a whole number of 64-byte
    // blocks, were compressed elsewhere into the chaining words A, B, C, D.
    MD5(const std::uint32_t chaining[4], std::uint64_t length);

    // Misuse (update after finalize, finalize twice) changes nothing and is
    // reported on stderr.
    void update(const unsigned char* bytes, std::uint32_t length);
    void finalize();

    // 32 lowercase hexadecimal characters; empty text (and a stderr line)
    // when the digest is not finalized.
    std::string hex_digest() const;

private:
    void transform(const unsigned char* block);

    std::uint32_t state[4];
    std::uint32_t count[2];
    unsigned char buffer[64];
    unsigned char digest[16];
    std::uint8_t finalized;
};

// The compression function of RFC 1321: folds block_count consecutive
// 64-byte blocks into the chaining words A, B, C, D of state.
void md5_compress(std::uint32_t state[4], const unsigned char* blocks, std::size_t block_count);
