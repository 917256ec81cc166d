#pragma once
#include <string>
#include <string_view>

// Report text is in the customer's ANSI code page, which the report does
// not name; it is shown as Windows-1252, the code page of Western Windows.
std::string to_utf8(std::string_view ansi);

// to_utf8, with every control character (C0, DEL and C1, tab and line feed
// included) shown as \xNN, so that no byte of a report can drive a
// terminal or break a line or a tab-separated column.
std::string printable(std::string_view ansi);

// The same for text that is already UTF-8 (file names from the command
// line): control characters and bytes that are no UTF-8 shown as \xNN.
std::string printable_utf8(std::string_view utf8);

// printable, then the five characters that HTML gives a meaning escaped.
std::string html_escaped(std::string_view ansi);
std::string html_escaped_utf8(std::string_view utf8);

// html_escaped, appended to out: long pages are built without a string per
// piece.
void append_html_escaped(std::string& out, std::string_view ansi);

// append_html_escaped, with the line feeds kept as they are: each line of a
// multi-line value escaped on its own.
void append_html_escaped_lines(std::string& out, std::string_view ansi);
