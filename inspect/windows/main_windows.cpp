// The Windows entry point: the command line comes as UTF-16, so that any
// file name reaches the inspector whatever the ANSI code page, and goes on
// as UTF-8.
#include "inspect_main.h"
#include "platform/windows/wide_text.h"

#include <fcntl.h>
#include <io.h>

int wmain(int argc, wchar_t** argv)
{
    // The outputs are the same bytes as on Linux: LF stays LF.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> arguments = utf8_arguments(argc, argv);
    return inspect_main(argc, argument_pointers(arguments).data());
}
