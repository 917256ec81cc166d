#pragma once
#include <string>
#include <vector>

// The whole command line of ravelo-inspect, its arguments in UTF-8; returns
// the exit code. Each platform's main hands its arguments on to it.
int inspect_main(int argc, char** argv);

// ravelo-inspect started from Explorer, every argument a report or a folder
// dropped on it: writes the pages beside them and opens them, and tells of
// any problem in a message box. Returns the exit code.
int inspect_dropped_main(const std::vector<std::string>& inputs);
