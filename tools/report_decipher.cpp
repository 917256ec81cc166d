#include "report_decipher.h"

#include "../seal/byte_order.h"
#include "../seal/report_cipher.h"

namespace {

const std::uint32_t delta = 0x9E3779B9;

// Blocks deciphered side by side: one block's rounds depend on each other,
// several blocks' do not, so the processor (and the vectoriser) can run them
// at once.
const std::size_t group_blocks = 16;

void xtea_decipher_group(std::uint32_t y[group_blocks], std::uint32_t z[group_blocks],
                         const std::uint32_t key[4])
{
    std::uint32_t sum = delta * 32;
    for (int cycle = 0; cycle < 32; ++cycle) {
        const std::uint32_t z_key = sum + key[(sum >> 11) & 3];
        for (std::size_t b = 0; b < group_blocks; ++b)
            z[b] -= (((y[b] << 4) ^ (y[b] >> 5)) + y[b]) ^ z_key;
        sum -= delta;
        const std::uint32_t y_key = sum + key[sum & 3];
        for (std::size_t b = 0; b < group_blocks; ++b)
            y[b] -= (((z[b] << 4) ^ (z[b] >> 5)) + z[b]) ^ y_key;
    }
}

void decipher_group(unsigned char* bytes)
{
    std::uint32_t y[group_blocks], z[group_blocks];
    for (std::size_t b = 0; b < group_blocks; ++b) {
        y[b] = load32_le(bytes + 8 * b);
        z[b] = load32_le(bytes + 8 * b + 4);
    }
    xtea_decipher_group(y, z, report_key);
    for (std::size_t b = 0; b < group_blocks; ++b) {
        store32_le(bytes + 8 * b, y[b]);
        store32_le(bytes + 8 * b + 4, z[b]);
    }
}

} // namespace

void xtea_decipher(std::uint32_t block[2], const std::uint32_t key[4])
{
    std::uint32_t y = block[0], z = block[1], sum = delta * 32;
    for (int cycle = 0; cycle < 32; ++cycle) {
        z -= (((y << 4) ^ (y >> 5)) + y) ^ (sum + key[(sum >> 11) & 3]);
        sum -= delta;
        y -= (((z << 4) ^ (z >> 5)) + z) ^ (sum + key[sum & 3]);
    }
    block[0] = y;
    block[1] = z;
}

bool decipher_report(const std::string& sealed, std::string& text)
{
    if (sealed.size() % 8 != 0)
        return false;
    text = sealed;
    auto* bytes = reinterpret_cast<unsigned char*>(&text[0]);
    std::size_t at = 0;
    for (; at + 8 * group_blocks <= text.size(); at += 8 * group_blocks)
        decipher_group(bytes + at);
    for (; at < text.size(); at += 8) {
        std::uint32_t block[2] = {load32_le(bytes + at), load32_le(bytes + at + 4)};
        xtea_decipher(block, report_key);
        store32_le(bytes + at, block[0]);
        store32_le(bytes + at + 4, block[1]);
    }
    // A report ends with a line feed, so zero bytes in the last block past
    // it can only be padding.
    const std::size_t last_block = text.empty() ? 0 : text.size() - 8;
    std::size_t end = text.size();
    while (end > last_block && text[end - 1] == '\0')
        --end;
    text.resize(end);
    return true;
}
