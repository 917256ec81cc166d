#pragma once
#include <cstdint>
#include <string>

// XTEA decipherment (32 cycles) of one block, words y then z, in place.
void xtea_decipher(std::uint32_t block[2], const std::uint32_t key[4]);

// Deciphers a sealed report (a whole number of 8-byte blocks) and strips the
// zero padding of the last block. False when the size is not a multiple of 8.
bool decipher_report(const std::string& sealed, std::string& text);
