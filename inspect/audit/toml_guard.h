#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Texts that toml++ 3.3, as Debian ships it, does not survive, found before
// it reads them:
// - it builds and frees its tables recursively, so a header of a hundred
//   thousand dotted keys overflows the stack. A line may hold at most
//   max_toml_nesting dots and brackets outside strings and comments: no
//   config needs more, and with each line bounded, what toml++ nests is too;
// - a table header that does not start with a name ("[=]", "[[[", "[ü]")
//   fails an assertion inside it (fixed upstream after 3.3), which stops
//   the program, since assertions stay on;
// - a character outside ASCII where TOML allows none (outside strings and
//   comments) reaches a branch of it marked unreachable: behaviour the
//   compiler may make anything.
// A UTF-8 byte order mark is passed over; a UTF-16 one is a fault of line 1.
// The line (from 1) of the first such fault, with why in reason; 0 when the
// text has none.
const std::size_t max_toml_nesting = 100;
std::size_t toml_fault(std::string_view toml, std::string& reason);
