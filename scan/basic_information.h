#pragma once

// Reads the simulator's SetupPath into fsx_path; on failure writes
// "Can't find FSX registry entry." to the report instead.
void read_fsx_path();

// Writes the user's fields, the Windows version, the install path and the
// application data path.
void write_basic_information();
