// Keeps the test run's Wine desktop alive.
//
// The desktop process (explorer /desktop) closes the virtual desktop shortly
// after the last process that uses it ends, and the next program then waits a
// second or more for it to come back. This program holds one hidden top-level
// window on the desktop for the whole run. It prints "ready" once the shell's
// taskbar window exists, so the session script knows that the notification
// area can take icons before the first test starts.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK KeepAliveProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = KeepAliveProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BrivaneWineKeepAlive";
    if (!RegisterClassW(&windowClass)) return 1;
    // Never shown: a hidden top-level window is enough to hold the desktop.
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Brivane Wine keep-alive", WS_OVERLAPPED, 0,
                                  0, 1, 1, nullptr, nullptr, instance, nullptr);
    if (!window) return 2;

    // The taskbar appears a moment after the desktop; wait for it (up to 60 s).
    const DWORD start = GetTickCount();
    while (!FindWindowW(L"Shell_TrayWnd", nullptr)) {
        if (GetTickCount() - start > 60000) {
            std::printf("no taskbar\n");
            std::fflush(stdout);
            return 3;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(20);
    }
    std::printf("ready\n");
    std::fflush(stdout);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
