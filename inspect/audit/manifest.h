#pragma once
#include "audit/config.h"
#include "report/model.h"

#include <ostream>
#include <string>

// Writes an md5sum-format list of every file under folder: the digest, two
// spaces, the path relative to folder with backslashes; sorted by path.
// False, with the reason in error, when a file or folder cannot be read.
bool write_manifest(const std::string& folder, std::ostream& out, std::string& error);

// Reads an md5sum-format list ("digest  path" or "digest *path"); forward
// slashes in paths are taken as backslashes. Paths are UTF-8, as
// write_manifest writes the names of a Linux folder, and are made
// Windows-1252 to compare with the report's names; a path that is no UTF-8
// is taken as Windows-1252 already. False, with the file and line
// in error, on a line of another shape.
bool read_manifest(const std::string& file, Manifest& manifest, std::string& error);

// Compares the report's add-on tree with the release that matches it best
// (most files with the same digest) and gives every file its status. Paths
// are compared without regard to case, as Windows does.
FileAudit audit_files(const Report& report, const Config& config);
