#include "../desktop.h"
#include "wide_text.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

const wchar_t* kind_name(MessageKind kind)
{
    switch (kind) {
    case MessageKind::error: return L"error";
    case MessageKind::warning: return L"warning";
    default: return L"information";
    }
}

UINT icon_of(MessageKind kind)
{
    switch (kind) {
    case MessageKind::error: return MB_ICONERROR;
    case MessageKind::warning: return MB_ICONWARNING;
    default: return MB_ICONINFORMATION;
    }
}

bool logged(const std::wstring& title, MessageKind kind, const std::wstring& text)
{
    const wchar_t* log_name = _wgetenv(L"RAVELO_MESSAGE_LOG");
    if (!log_name || !*log_name)
        return false;
    if (std::FILE* log = _wfopen(log_name, L"ab")) {
        const std::string entry = utf8_from_wide((title + L" (" + kind_name(kind) + L")\n" +
                                                  text + L"\n\n").c_str());
        std::fwrite(entry.data(), 1, entry.size(), log);
        std::fclose(log);
    }
    return true;
}

} // namespace

bool started_from_explorer()
{
    // A console of its own is not enough: Windows makes one too for a
    // program that a script or a scheduler without a console starts, and
    // those read its output through a file or a pipe.
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1 &&
           GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR;
}

void show_message(const std::string& title, MessageKind kind, const std::string& text)
{
    const std::wstring wide_title = wide_from_utf8(title), wide_text = wide_from_utf8(text);
    if (logged(wide_title, kind, wide_text))
        return;
    // No owner window: the box would otherwise open behind the console.
    MessageBoxW(nullptr, wide_text.c_str(), wide_title.c_str(),
                MB_OK | icon_of(kind) | MB_SETFOREGROUND);
}

bool open_with_default_program(const std::string& name, std::string& error)
{
    const std::wstring wide_name = wide_from_utf8(name);
    // The shell opens no name of MAX_PATH characters or more (on some
    // versions it says only that it found no file), so none is given it.
    if (wide_name.size() >= MAX_PATH) {
        error = "cannot open " + name + ": its name is too long for Windows (" +
                std::to_string(MAX_PATH - 1) + " characters at most, with its folders). " +
                "Move the reports into a folder with a short name, such as Documents, and " +
                "drop them there again.";
        return false;
    }
    // The shell may hand the file to a browser through COM or DDE, and this
    // program ends right after: COM is set up first, and the call waits
    // until the hand-over is done rather than leaving it to a thread that
    // the program's exit would cut short.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOASYNC;
    execute.lpVerb = L"open";
    execute.lpFile = wide_name.c_str();
    execute.nShow = SW_SHOWNORMAL;
    const bool opened = ShellExecuteExW(&execute);
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!opened)
        error = "no program opens " + name + " (ShellExecute error " +
                std::to_string(reinterpret_cast<INT_PTR>(execute.hInstApp)) + ")";
    return opened;
}
