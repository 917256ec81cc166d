#pragma once

// Makes the standard output write every byte as given. Windows otherwise
// writes each line feed as a carriage return and a line feed.
void make_standard_output_binary();
