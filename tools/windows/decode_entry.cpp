// The Windows entry point: the command line comes as UTF-16, so that a
// report named outside the ANSI code page opens, and goes on as UTF-8.
#include "../decode_main.h"
#include "../../platform/windows/wide_text.h"

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments = utf8_arguments(argc, argv);
    return decode_main(argc, argument_pointers(arguments).data());
}
