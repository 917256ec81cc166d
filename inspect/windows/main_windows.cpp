// The Windows entry point: the command line comes as UTF-16, so that any
// file name reaches the inspector whatever the ANSI code page, and goes on
// as UTF-8.
#include "inspect_main.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <string>
#include <vector>

namespace {

std::string utf8_from_wide(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // The outputs are the same bytes as on Linux: LF stays LF.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(utf8_from_wide(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return inspect_main(argc, pointers.data());
}
