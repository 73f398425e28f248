// The smallest useful tray program, measured beside brivane.exe as the
// baseline for start-up time and memory: one hidden window, one icon in the
// notification area, a message loop. WM_CLOSE to its window removes the icon
// and ends it.
//
// With --brivane-tray-calls it makes, instead of its one NIM_ADD, the twelve
// notification-area calls that Brivane's tray component makes before it goes
// idle, in their order and with their record: the floor of a program that
// starts as Brivane does.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr UINT kCallbackMessage = WM_APP + 1;
constexpr UINT kIconId = 1;

LRESULT CALLBACK MinimalTrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY: {
            NOTIFYICONDATAW icon{};
            icon.cbSize = sizeof icon;
            icon.hWnd = window;
            icon.uID = kIconId;
            Shell_NotifyIconW(NIM_DELETE, &icon);
            PostQuitMessage(0);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The tray component's calls from its construction to the end of Brivane's
// start-up: the icon taken away (none yet), given the application icon,
// added, modified as the stored description sets the list, the index and
// the hint, added again and given its callback version when loaded, then
// the hint and the first image.
bool MakeBrivaneTrayCalls(NOTIFYICONDATAW icon) {
    struct Call {
        DWORD message;
        bool withIcon;
        bool withTip;
    };
    static constexpr Call kCalls[] = {
        {NIM_DELETE, false, false}, {NIM_MODIFY, true, false}, {NIM_ADD, true, false},
        {NIM_MODIFY, true, false},  {NIM_MODIFY, true, false}, {NIM_MODIFY, true, false},
        {NIM_MODIFY, true, false},  {NIM_ADD, true, false},    {NIM_SETVERSION, true, false},
        {NIM_MODIFY, true, true},   {NIM_MODIFY, true, true},  {NIM_MODIFY, true, true}};
    const HICON image = icon.hIcon;
    const std::wstring tip = icon.szTip;
    icon.cbSize = NOTIFYICONDATAW_V2_SIZE;
    bool added = false;
    for (const Call& call : kCalls) {
        icon.hIcon = call.withIcon ? image : nullptr;
        lstrcpynW(icon.szTip, call.withTip ? tip.c_str() : L"", ARRAYSIZE(icon.szTip));
        const BOOL done = Shell_NotifyIconW(call.message, &icon);
        added = added || (call.message == NIM_ADD && done);
    }
    return added;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = MinimalTrayProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BrivaneBenchMinimalTray";
    if (!RegisterClassW(&windowClass)) return 1;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Minimal tray", WS_OVERLAPPED, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 2;

    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = kIconId;
    icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    icon.uCallbackMessage = kCallbackMessage;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
    lstrcpynW(icon.szTip, L"Minimal tray", ARRAYSIZE(icon.szTip));
    const bool brivaneCalls = lstrcmpW(commandLine, L"--brivane-tray-calls") == 0;
    if (!(brivaneCalls ? MakeBrivaneTrayCalls(icon) : Shell_NotifyIconW(NIM_ADD, &icon))) return 3;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
