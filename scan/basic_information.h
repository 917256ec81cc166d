#pragma once

// Reads the simulator's SetupPath value into fsx_path. When the key or the
// value is missing, or the value does not fit fsx_path with its terminator,
// fsx_path is left empty and the line "Can't find FSX registry entry." is
// written to the report instead.
void read_fsx_path();

// Writes the body of the Basic information section: the user's four fields,
// the Windows version and service pack (with a warning for editions that
// are not workstations), fsx_path and app_data_path.
void write_basic_information();

// The name of the Windows version major.minor, from 2000 (5.0) to 8 (6.2);
// "" for any other pair.
const char* windows_name(unsigned major, unsigned minor);
