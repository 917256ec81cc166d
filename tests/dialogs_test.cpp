// The dialogs, driven through their procedures. Under Wine the test prefix
// uses the null graphics driver, so windows exist without a display.
#ifdef _WIN32
#include "app/dialogs.h"
#include "app/texts.h"
#include "resources/resource_ids.h"
#include "scan/scan_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

bool windows_can_be_created()
{
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return false;
    DestroyWindow(window);
    return true;
}

std::string window_text(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The size the static control's text takes, drawn as the control draws it
// (centred, broken at words), within the control's width.
SIZE drawn_text_size(HWND control)
{
    RECT area = {0, 0, 0, 0};
    GetClientRect(control, &area);
    const std::string text = window_text(control);
    HDC context = GetDC(control);
    HGDIOBJ previous = SelectObject(context, HGDIOBJ(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT drawn = {0, 0, area.right, 0};
    DrawTextA(context, text.c_str(), -1, &drawn, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(context, previous);
    ReleaseDC(control, context);
    return {drawn.right, drawn.bottom};
}

HANDLE WINAPI refuse_thread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

class Dialogs : public testing::Test {
protected:
    void SetUp() override
    {
        if (!windows_can_be_created())
            GTEST_SKIP() << "no window can be created: no display, and not Wine's null graphics driver";
        instance = GetModuleHandleA(nullptr);
    }
    void TearDown() override
    {
        for (HWND dialog : {terms_dialog, user_data_dialog, progress_dialog, completion_dialog})
            if (dialog && IsWindow(dialog))
                DestroyWindow(dialog);
        terms_dialog = user_data_dialog = progress_dialog = completion_dialog = nullptr;
        // Drops the quit messages the procedures post.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

} // namespace

TEST_F(Dialogs, EachCompletionTextFitsItsControl)
{
    for (const bool written : {true, false}) {
        progress_dialog = open_dialog(IDD_PROGRESS, progress_dialog_proc);
        ASSERT_TRUE(progress_dialog);
        SendMessageA(progress_dialog, WM_SCAN_FINISHED, written, 0);
        ASSERT_TRUE(completion_dialog && IsWindow(completion_dialog));
        HWND text = FindWindowExA(completion_dialog, nullptr, "Static", nullptr);
        EXPECT_EQ(window_text(text), written ? completion_text : failure_text);
        RECT area;
        GetClientRect(text, &area);
        const SIZE drawn = drawn_text_size(text);
        EXPECT_LE(drawn.cx, area.right) << "written: " << written;
        EXPECT_LE(drawn.cy, area.bottom) << "written: " << written;
        DestroyWindow(completion_dialog);
        completion_dialog = nullptr;
    }
}

TEST_F(Dialogs, AWorkerThatCannotStartEndsTheScanWithTheFailureText)
{
    char saved_name[sizeof user_name], saved_email[sizeof user_email];
    char saved_forum[sizeof forum_name], saved_description[sizeof problem_description];
    std::memcpy(saved_name, user_name, sizeof user_name);
    std::memcpy(saved_email, user_email, sizeof user_email);
    std::memcpy(saved_forum, forum_name, sizeof forum_name);
    std::memcpy(saved_description, problem_description, sizeof problem_description);

    user_data_dialog = open_dialog(IDD_USER_DATA, user_data_dialog_proc);
    ASSERT_TRUE(user_data_dialog);
    SetDlgItemTextA(user_data_dialog, IDC_NAME, "Ada");
    SetDlgItemTextA(user_data_dialog, IDC_EMAIL, "ada@example.com");
    SetDlgItemTextA(user_data_dialog, IDC_DESCRIPTION, "dark gauge");
    create_thread = refuse_thread;
    SendMessageA(user_data_dialog, WM_COMMAND, IDC_FORM_OK, 0);
    create_thread = CreateThread;

    EXPECT_FALSE(IsWindow(progress_dialog)) << "the progress window stays with nothing to close it";
    ASSERT_TRUE(completion_dialog && IsWindow(completion_dialog));
    EXPECT_EQ(window_text(FindWindowExA(completion_dialog, nullptr, "Static", nullptr)), failure_text);

    std::memcpy(user_name, saved_name, sizeof user_name);
    std::memcpy(user_email, saved_email, sizeof user_email);
    std::memcpy(forum_name, saved_forum, sizeof forum_name);
    std::memcpy(problem_description, saved_description, sizeof problem_description);
}

TEST_F(Dialogs, TheProgramEndsWithAMessageWhenItsFirstDialogCannotBeCreated)
{
    // Dismisses the message box when it comes; without one, ends the message
    // loop after a while, so that the test fails rather than hangs.
    const DWORD interface_thread = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::string message;
    std::thread dismisser([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            HWND box = FindWindowA("#32770", program_caption);
            if (box) {
                char text[256] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                message = text;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        PostThreadMessageA(interface_thread, WM_QUIT, 0, 0);
    });
    // A module without the dialog templates.
    const int exit_code = WinMain(GetModuleHandleA("kernel32.dll"), nullptr, nullptr, SW_SHOW);
    done = true;
    dismisser.join();
    instance = GetModuleHandleA(nullptr);

    EXPECT_EQ(message, window_failure_text);
    EXPECT_EQ(exit_code, 1);
    EXPECT_FALSE(terms_dialog);
}
#endif
