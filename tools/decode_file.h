#pragma once
#include <string>

// ravelo-decode's work once its command line is read: deciphers the report
// at report_path and writes its text to out_path (standard output when
// empty). A file that does not decipher to a report's first lines is refused
// unless force is set. Returns the exit code: 0 written, 1 refused or failed,
// with the reason on standard error.
int decode_file(const std::string& report_path, const std::string& out_path, bool force);
