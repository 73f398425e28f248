// Proves the test harness: a GoogleTest program runs in the run's one virtual
// desktop, whose taskbar takes notification-area icons the way the shell does.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

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

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

TEST(WineSession, RunsInTheSharedVirtualDesktop) {
    if (!RunningUnderWine()) GTEST_SKIP() << "only the Wine test session has a desktop named \"shell\"";
    wchar_t name[64] = {};
    ASSERT_TRUE(GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name,
                                          sizeof(name), nullptr));
    EXPECT_STREQ(name, L"shell");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST(WineSession, ExportsTheBuildDirectory) {
    if (!RunningUnderWine()) GTEST_SKIP() << "BRIVANE_BUILD_DIR comes from the Wine test session";
    const std::wstring buildDir = Environment(L"BRIVANE_BUILD_DIR");
    ASSERT_FALSE(buildDir.empty());
    const std::wstring cache = buildDir + L"\\CMakeCache.txt";
    EXPECT_NE(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no CMakeCache.txt in the build dir";
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
