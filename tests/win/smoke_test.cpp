// Proves the test harness: a GoogleTest program runs in the run's one virtual
// desktop, whose taskbar takes notification-area icons the way the shell does,
// and finds the program under test in the build directory.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brivane_version.h"
#include "support/Win32Helpers.h"

namespace {

constexpr UINT kCallbackMessage = WM_APP + 1;

// A hidden top-level window of a class registered for it alone; both go away
// with the object.
class HiddenWindow {
public:
    HiddenWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        atom_ = RegisterClassW(&windowClass);
        if (atom_ == 0) return;
        handle_ = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    }
    ~HiddenWindow() {
        if (handle_) DestroyWindow(handle_);
        if (atom_) UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    HWND Handle() const { return handle_; }

private:
    static constexpr const wchar_t* kClassName = L"BrivaneSmokeTestWindow";
    ATOM atom_ = 0;
    HWND handle_ = nullptr;
};

NOTIFYICONDATAW IconData(HWND window, UINT id) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);  // shared system icon: never destroyed
    lstrcpynW(data.szTip, L"Brivane smoke test", ARRAYSIZE(data.szTip));
    return data;
}

// The shell's taskbar, which another process owns, is in this program's
// desktop: icons the program under test adds land where tests can see them.
// In the Wine session that desktop is the run's one virtual desktop.
TEST(Session, RunsInTheDesktopOfTheShellsTaskbar) {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    ASSERT_NE(taskbar, nullptr) << "no taskbar in this desktop";
    DWORD owner = 0;
    GetWindowThreadProcessId(taskbar, &owner);
    EXPECT_NE(owner, GetCurrentProcessId());
#if BRIVANE_IN_WINE_SESSION
    ASSERT_TRUE(RunningOnWine()) << "the cross build's tests run in the Wine session";
    wchar_t name[64] = {};
    ASSERT_TRUE(GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name,
                                          sizeof(name), nullptr));
    EXPECT_STREQ(name, L"shell");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
#endif
}

// The session hands tests the build directory, and the program built there is
// Brivane of this version: its own version resource says so.
TEST(Session, PointsTestsAtTheBuiltProgram) {
    const std::wstring buildDir = BuildDirectory();
    ASSERT_FALSE(buildDir.empty());
    const std::wstring program = buildDir + L"\\app\\brivane.exe";
    ASSERT_NE(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no brivane.exe in the build dir";
    EXPECT_EQ(VersionString(program, L"ProductName"), L"Olmar Brivane");
    EXPECT_EQ(VersionString(program, L"FileVersion"), L"" BRIVANE_VERSION_TEXT);
}

TEST(NotifyIcon, TaskbarTakesIconsByWindowAndId) {
    ASSERT_NE(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "no taskbar in this desktop";
    HiddenWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    NOTIFYICONDATAW first = IconData(window.Handle(), 1);
    NOTIFYICONDATAW second = IconData(window.Handle(), 2);

    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &first));
    EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &first)) << "the same window and id went in twice";
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &second)) << "an icon that was never added was modified";
    EXPECT_TRUE(Shell_NotifyIconW(NIM_ADD, &second)) << "another id of the same window was refused";

    lstrcpynW(first.szTip, L"Brivane smoke test, modified", ARRAYSIZE(first.szTip));
    first.uFlags = NIF_TIP;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &first));

    EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &first));
    EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &first)) << "a deleted icon was deleted again";
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &first)) << "a deleted icon was modified";
    EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &second));
}

}  // namespace
