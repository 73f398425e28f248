// Message pumping for in-process tests.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

// Handles every message waiting now. (A test waits for what it checks with
// PumpUntil, never for a stretch of time.)
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps until `done` holds or `ms` pass; returns whether it held. The time
// limit only ends a wait for an event that never comes, and is generous: the
// suite runs Wine sessions side by side with the compilers on a shared machine.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 15000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

// Handles every message posted to this thread so far, and what handling them
// sends: a marker posted now comes back after all of them.
inline void PumpPosted() {
    constexpr UINT kMarker = WM_APP + 0x3FF;
    PostThreadMessageW(GetCurrentThreadId(), kMarker, 0, 0);
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // left for the caller's loop
            return;
        }
        if (got < 0) return;
        if (msg.hwnd == nullptr && msg.message == kMarker) return;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
