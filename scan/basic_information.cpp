#include "basic_information.h"

#include "registry_access.h"
#include "report.h"
#include "scan_state.h"

#include <cstring>
#include <string>

namespace {

const char fsx_key[] = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";

struct WindowsName {
    unsigned major, minor;
    const char* name;
};

const WindowsName windows_names[] = {
    {5, 0, "Windows 2000"},
    {5, 1, "Windows XP"},
    {5, 2, "Windows XP Professional x64 Edition"},
    {6, 0, "Windows Vista"},
    {6, 1, "Windows 7"},
    {6, 2, "Windows 8"},
};

// True when the size bytes read into fsx_path form a terminated text: a value
// stored without its terminator gets one, unless it filled the whole buffer.
bool terminate_fsx_path(DWORD size)
{
    if (size < sizeof fsx_path) {
        fsx_path[size] = '\0';
        return true;
    }
    return fsx_path[sizeof fsx_path - 1] == '\0';
}

bool read_setup_path(HKEY key)
{
    DWORD size = sizeof fsx_path;
    const LONG result = RegQueryValueExA(key, "SetupPath", nullptr, nullptr,
                                         reinterpret_cast<LPBYTE>(fsx_path), &size);
    return result == ERROR_SUCCESS && terminate_fsx_path(size);
}

void write_label(const char* label, const char* value)
{
    report_stream << label << value << write_endl;
}

// A fixed-size text field that need not hold a terminator.
std::string text_field(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

void write_version(const OSVERSIONINFOEXA& version)
{
    report_stream << "OS version:          " << version.dwMajorVersion << '.'
                  << version.dwMinorVersion << " build " << version.dwBuildNumber << "  "
                  << windows_name(version.dwMajorVersion, version.dwMinorVersion) << write_endl;
    report_stream << "Service pack:        " << version.wServicePackMajor << '.'
                  << version.wServicePackMinor << "  "
                  << text_field(version.szCSDVersion, sizeof version.szCSDVersion) << write_endl;
    if (version.wProductType != VER_NT_WORKSTATION)
        report_stream << "OS is not WORKSTATION type!" << write_endl;
}

} // namespace

const char* windows_name(unsigned major, unsigned minor)
{
    for (const WindowsName& entry : windows_names)
        if (entry.major == major && entry.minor == minor)
            return entry.name;
    return "";
}

void read_fsx_path()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, fsx_key, 0, registry_read_access, &key) != ERROR_SUCCESS) {
        report_stream << "Can't find FSX registry entry." << write_endl;
        return;
    }
    if (!read_setup_path(key)) {
        // A failed read may leave part of the data behind.
        std::memset(fsx_path, 0, sizeof fsx_path);
        report_stream << "Can't find FSX registry entry." << write_endl;
    }
    RegCloseKey(key);
}

void write_basic_information()
{
    write_label("Name:                ", user_name);
    write_label("e-mail:              ", user_email);
    write_label("Forum name:          ", forum_name);
    write_label("Problem description: ", problem_description);
    report_stream << write_endl;

    OSVERSIONINFOEXA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&version));
    write_version(version);
    report_stream << write_endl;

    write_label("FSX path:            ", fsx_path);
    write_label("App data path:       ", app_data_path);
}
