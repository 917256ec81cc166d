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
// temporary file in the same directory, flushed to the disk and renamed over
// the earlier file, so a failure to write leaves neither a partial file nor
// a lost earlier one. A refused rename is tried again a few times after a
// short wait. When the earlier file still cannot be replaced (another
// program holds it open), the temporary file is deleted and file_name
// rewritten in place: that empties the earlier file first, so a failure
// from then on leaves it empty or holding the start of the new text (and
// false is returned). The temporary file stays only when it cannot be
// deleted even after those waits. True when the file was written.
bool seal_text(const std::string& text, const char* file_name);

// Seals the whole report_stream text into the report file.
bool seal_report();
