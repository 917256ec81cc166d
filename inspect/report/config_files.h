#pragma once
#include "report/model.h"

#include <string>
#include <string_view>

// dll.xml as an XML document: whether it is well-formed (and where it is
// not), and its Launch.Addon entries. Line numbers are the report's.
DllXml read_dll_xml(const EchoedFile& file);

// fsx.cfg as the simulator reads it: "[Section]" heads, "key=value" and
// bare "key" lines, spaces around names and values ignored, sections that
// occur twice kept as they stand.
FsxCfg read_fsx_cfg(const EchoedFile& file);

// Case folded as Windows compares paths and names: A to Z and the
// Windows-1252 letters that have a lower-case form.
char fold_case(char c);
std::string folded_text(std::string_view text);

// Equality without regard to case, as above.
bool same_text(std::string_view a, std::string_view b);
