#include "report_decipher.h"

#include "../seal/byte_order.h"
#include "../seal/report_cipher.h"

namespace {

const std::uint32_t delta = 0x9E3779B9;

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
    for (std::size_t at = 0; at < text.size(); at += 8) {
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
