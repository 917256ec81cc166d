#include "../standard_output.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

void make_standard_output_binary()
{
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}
