#pragma once

// The whole command line of ravelo-decode, its arguments in UTF-8; returns
// the exit code. Each platform's main hands its arguments on to it.
int decode_main(int argc, char** argv);
