#pragma once
#include <cstdint>
#include <string>

// The name the report file is written under, in the current directory.
extern const char report_file_name[];

// The fixed XTEA key every report is sealed with.
extern const std::uint32_t report_key[4];

// XTEA encipherment (32 cycles) of one block, words y then z, in place.
void xtea_encipher(std::uint32_t block[2], const std::uint32_t key[4]);

// xtea_encipher under report_key.
void encipher_block(std::uint32_t block[2]);

// Zero-pads text to whole 8-byte blocks, enciphers each block on its own
// (words little-endian) and writes the result to file_name through a
// temporary file in the same directory, so a failure to write leaves
// neither a partial file nor a lost earlier one. When the earlier file
// cannot be replaced (another program holds it open), it is rewritten in
// place instead. The temporary file never stays. True when the file was
// written.
bool seal_text(const std::string& text, const char* file_name);

// Seals the whole report_stream text into the report file.
bool seal_report();
