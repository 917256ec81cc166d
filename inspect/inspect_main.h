#pragma once

// The whole command line of ravelo-inspect, its arguments in UTF-8; returns
// the exit code. Each platform's main hands its arguments on to it.
int inspect_main(int argc, char** argv);
