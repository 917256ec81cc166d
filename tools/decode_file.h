#pragma once
#include <string>

// The deciphered text of the sealed file at report_path (UTF-8). False,
// with the reason in error, when it cannot be read or is not a whole number
// of blocks. Whether the text is a report's is looks_like_report's to say.
bool decipher_file(const std::string& report_path, std::string& text, std::string& error);

// Why a file whose text does not begin as a report's is refused.
std::string not_a_report(const std::string& report_path);

// ravelo-decode's work once its command line is read: deciphers the report
// at report_path and writes its text to out_path (standard output when
// empty). Returns the exit code: 0 written, 1 refused or failed, with the
// reason on standard error.
int decode_file(const std::string& report_path, const std::string& out_path, bool force);
