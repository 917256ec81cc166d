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
// temporary file (file_name and ".tmp") in the same directory, flushed to
// the disk and renamed over the earlier file, so a failure to write leaves
// neither a partial file nor a lost earlier one. A rename or delete refused
// while another program holds the file (a sharing or lock violation, or
// access denied to a file neither read-only nor a folder) is tried again a
// few times after a short wait; any other refusal at once ends the tries.
// A file system that offers no flush (ERROR_INVALID_FUNCTION,
// ERROR_NOT_SUPPORTED) counts as flushed.
//
// When the earlier file still cannot be replaced, file_name is rewritten in
// place, which empties it first. The temporary file stays until that
// rewrite has succeeded: if the rewrite fails, the new report is left under
// the temporary name (and false returned), except when it fails for want of
// space (ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL): the temporary file is
// then deleted and the rewrite tried once more, and if that fails too,
// file_name holds part of the new report at most. True when file_name holds
// the new report.
bool seal_text(const std::string& text, const char* file_name);

// Seals the whole report_stream text into the report file.
bool seal_report();
