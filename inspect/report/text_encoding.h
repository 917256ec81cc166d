#pragma once
#include <string>
#include <string_view>

// The report's texts are the customer's ANSI code page, taken to be
// Windows-1252; the maker's files (config, manifests) and the command line
// are UTF-8. These convert between them.

// The Unicode code point of a Windows-1252 byte; the five unassigned bytes
// keep their C1 code points, as Windows itself maps them.
char32_t windows_1252_code_point(unsigned char byte);

void append_utf8(std::string& out, char32_t c);

// Windows-1252 bytes of UTF-8 text; a character the code page lacks
// becomes '?'. False, with ansi untouched, when utf8 is not valid UTF-8.
bool ansi_from_utf8(std::string_view utf8, std::string& ansi);

// Where the maker's names enter (config, manifests): UTF-8 made ANSI, or
// the bytes as they are when they are no UTF-8 (a list made on Windows).
std::string ansi_from_maker_text(std::string_view text);

// The next code point of UTF-8 text at pos, which it passes; an invalid
// byte is returned as U+FFFD and passed alone.
char32_t next_code_point(std::string_view utf8, std::size_t& pos, bool& valid);

// UTF-16 bytes (without BOM) as UTF-8; unpaired surrogates and a last odd
// byte become U+FFFD.
std::string utf8_from_utf16(std::string_view bytes, bool big_endian);
