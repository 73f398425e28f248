// A double-click on empty desktop space hides the desktop; one on the bare
// desktop while it is hidden shows it. A low-level mouse hook, installed only
// while the option is on, sees the left button go down anywhere: it posts
// each press to the main window and returns at once (Windows removes a
// low-level hook that is slow), and never swallows a click. Where a double
// click landed is decided from the posted presses: on an icon, a label or
// any other window nothing happens.
#pragma once

#include <windows.h>

#include "DesktopSwitch.h"
#include "win/Handles.h"

class TDesktopDoubleClick {
public:
    // Posted to the main window for every press while hooked: wParam the
    // press's time, lParam its screen position.
    static constexpr UINT kPressed = WM_APP + 27;

    TDesktopDoubleClick(TWinControl* window, TDesktopSwitch& desktop) : window_(window), desktop_(desktop) {}
    TDesktopDoubleClick(const TDesktopDoubleClick&) = delete;
    TDesktopDoubleClick& operator=(const TDesktopDoubleClick&) = delete;
    ~TDesktopDoubleClick() { SetEnabled(false); }

    // Installs or removes the hook.
    void SetEnabled(bool on);
    bool Hooked() const { return static_cast<bool>(hook_); }
    // The posted press (kPressed).
    void Pressed(WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam);
    // Whether a double-click at `point` is on the desktop and on no icon.
    static bool OnEmptyDesktop(POINT point);

    TWinControl* window_;
    TDesktopSwitch& desktop_;
    TUniqueHook hook_;
    DWORD lastTime_ = 0;
    POINT lastPoint_{};
    bool pending_ = false;  // a first press waits for its second
};
