#include "scan_worker.h"

#include "basic_information.h"
#include "directory_inventory.h"
#include "registry_enumeration.h"
#include "report.h"
#include "scan_state.h"
#include "side_by_side.h"
#include "text_file_echo.h"
#include "../seal/report_cipher.h"

#include <string>

HWND progress_dialog;

namespace {

const char rule_line[] =
    "----------------------------------------------------------------------";

void write_line_ends(int count)
{
    for (int i = 0; i < count; ++i)
        report_stream << write_endl;
}

void echo_config_file(const char* title_line, const char* file_name)
{
    write_banner(title_line);
    report_stream << "The file begins below the line" << write_endl;
    report_stream << rule_line << write_endl;
    const std::string path = std::string(app_data_path) + "\\Microsoft\\FSX\\" + file_name;
    write_bounded_section([&] { dump_text_file(path); });
    report_stream << rule_line << write_endl;
    report_stream << "End of " << file_name << " reached." << write_endl;
    write_line_ends(3);
}

void write_registry_section(const char* title_line, HKEY root)
{
    write_banner(title_line);
    write_bounded_section([&] { enumerate_registry(root, "", 0, false); });
}

} // namespace

bool run_scan()
{
    read_fsx_path();
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data_path);

    write_banner("** Basic information *************************************************");
    write_bounded_section(write_basic_information);
    write_line_ends(2);

    write_banner("** Vok directory test ************************************************");
    write_bounded_section([] { list_directory(std::string(fsx_path) + "Vok", 0); });
    write_line_ends(2);

    write_banner("** Modules directory test ********************************************");
    write_bounded_section([] { list_directory(std::string(fsx_path) + "Modules", 0); });
    write_line_ends(2);

    echo_config_file("** dll.xml test ******************************************************", "dll.xml");
    echo_config_file("** fsx.cfg test ******************************************************", "fsx.cfg");

    write_banner("** Side by side libraries test ***************************************");
    write_bounded_section(list_side_by_side);
    write_line_ends(2);

    write_registry_section("** HKEY_LOCAL_MACHINE enumeration ************************************", HKEY_LOCAL_MACHINE);
    write_line_ends(2);
    write_registry_section("** HKEY_CURRENT_USER enumeration *************************************", HKEY_CURRENT_USER);
    write_line_ends(2);
    write_registry_section("** HKEY_USERS enumeration ********************************************", HKEY_USERS);

    return seal_report();
}

DWORD WINAPI scan_worker(LPVOID)
{
    const bool report_written = run_scan();
    SendMessageA(progress_dialog, WM_SCAN_FINISHED, report_written, 0);
    return 0;
}
