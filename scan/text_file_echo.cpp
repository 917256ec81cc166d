#include "text_file_echo.h"

void dump_text_file(const std::string&)
{
}
