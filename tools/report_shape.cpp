#include "report_shape.h"

const char* const section_title_lines[section_count] = {
    "** Basic information *************************************************",
    "** Vok directory test ************************************************",
    "** Modules directory test ********************************************",
    "** dll.xml test ******************************************************",
    "** fsx.cfg test ******************************************************",
    "** Side by side libraries test ***************************************",
    "** HKEY_LOCAL_MACHINE enumeration ************************************",
    "** HKEY_CURRENT_USER enumeration *************************************",
    "** HKEY_USERS enumeration ********************************************",
};

namespace {

const char first_banner[] =
    "** Basic information *************************************************\n"
    "*                                                                    *\n"
    "*                                                                    *\n"
    "*                                                                    *\n"
    "**********************************************************************\n"
    "\n";

const char no_install_path[] = "Can't find FSX registry entry.\n";

bool begins_with(const std::string& text, const std::string& start, std::size_t at = 0)
{
    return text.compare(at, start.size(), start) == 0;
}

} // namespace

bool looks_like_report(const std::string& text)
{
    const std::size_t banner_at = begins_with(text, no_install_path) ? sizeof no_install_path - 1 : 0;
    return begins_with(text, first_banner, banner_at);
}
