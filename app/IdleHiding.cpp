#include "IdleHiding.h"

TIdleHiding::TIdleHiding(TDesktopSwitch& desktop, THeartbeat& heartbeat) : desktop_(desktop) {
    // Only between desktop actions: what one does would otherwise be undone
    // by the action under way.
    heartbeat.Subscribe([this] {
        if (desktop_.Settled()) Watch();
    });
}

void TIdleHiding::Watch() {
    if (hiddenWhenIdle_ && desktop_.Changes() != changesWhenHidden_) hiddenWhenIdle_ = false;
    LASTINPUTINFO input{};
    input.cbSize = sizeof input;
    if ((!hiddenWhenIdle_ && seconds_ == 0) || !GetLastInputInfo(&input)) return;
    if (hiddenWhenIdle_) {
        if (input.dwTime != lastInputWhenHidden_) desktop_.ShowDesktop(nullptr);
        return;
    }
    // Tick counts wrap after 49.7 days; the unsigned difference does not mind.
    // The last input's count may lie a little ahead of ours (one that
    // SendInput gave its own count): that is no idle time at all.
    const DWORD idleMs = GetTickCount() - input.dwTime;
    if (desktop_.Hidden() || idleMs > MAXLONG || idleMs / 1000 < seconds_) return;
    desktop_.HideDesktop(nullptr);
    hiddenWhenIdle_ = true;
    changesWhenHidden_ = desktop_.Changes();
    lastInputWhenHidden_ = input.dwTime;
}
