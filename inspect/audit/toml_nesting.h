#pragma once
#include <cstddef>
#include <string_view>

// toml++ builds and frees its tables recursively, so a header of a hundred
// thousand dotted keys overflows the stack before any check of ours runs.
// The first line (from 1) holding more than max_toml_nesting dots and
// brackets outside strings and comments, or 0 when there is none: no
// config needs one, and with each line bounded, what toml++ nests is too.
const std::size_t max_toml_nesting = 100;
std::size_t line_nested_too_deep(std::string_view toml);
