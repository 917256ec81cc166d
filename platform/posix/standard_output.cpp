#include "../standard_output.h"

// POSIX streams never translate line ends.
void make_standard_output_binary()
{
}
