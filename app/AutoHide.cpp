// Hiding the desktop when the user is away: on the caption-colour watchdog's
// once-a-second tick (no timer or hook of its own), the time since the last
// keyboard or mouse input (GetLastInputInfo) is compared with "AutoHide".
// The desktop then hides as a click would. The first input afterwards shows it
// again, but only while it is still hidden that way: any other hide or show in
// between (the user's) clears the mark.
#include "MainWindow.h"

void TMainWindow::WatchIdleTime() {
    LASTINPUTINFO input{};
    input.cbSize = sizeof input;
    if ((!desktopHiddenWhenIdle_ && autoHideSeconds_ == 0) || !GetLastInputInfo(&input)) return;
    if (desktopHiddenWhenIdle_) {
        if (input.dwTime != lastInputWhenHidden_) ShowDesktop(this);
        return;
    }
    // Tick counts wrap after 49.7 days; the unsigned difference does not mind.
    // The last input's count may lie a little ahead of ours (one that
    // SendInput gave its own count): that is no idle time at all.
    const DWORD idleMs = GetTickCount() - input.dwTime;
    if (DesktopHidden() || idleMs > MAXLONG || idleMs / 1000 < autoHideSeconds_) return;
    HideDesktop(this);
    desktopHiddenWhenIdle_ = true;
    lastInputWhenHidden_ = input.dwTime;
}
