#include "basic_information.h"

void read_fsx_path()
{
}

void write_basic_information()
{
}
