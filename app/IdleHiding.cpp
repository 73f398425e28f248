#include "IdleHiding.h"

#include <shellapi.h>
#include <wtsapi32.h>

#include "core/Exception.h"

namespace {

int QueryUserNotificationState() {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    const HRESULT result = SHQueryUserNotificationState(&state);
    if (FAILED(result)) return QUNS_ACCEPTS_NOTIFICATIONS;
    return state;
}

}  // namespace

TSeam<int()> UserNotificationStateSeam(&QueryUserNotificationState);

TIdleHiding::TIdleHiding(TWinControl* window, TDesktopSwitch& desktop, THeartbeat& heartbeat)
    : window_(window), desktop_(desktop) {
    // Only between desktop actions: what one does would otherwise be undone
    // by the action under way.
    heartbeat.Subscribe([this] {
        if (desktop_.Settled()) Watch();
    });
}

void TIdleHiding::SetSeconds(uint32_t seconds) {
    seconds_ = seconds;
    if (seconds_ == 0 || sessionNotices_) return;
    // wtsapi32 is loaded only when the user has turned idle hiding on.
    sessionNotices_.Reset(LoadLibraryExW(L"wtsapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    using Register = decltype(WTSRegisterSessionNotification);
    auto* start = reinterpret_cast<Register*>(reinterpret_cast<void*>(
        sessionNotices_ ? GetProcAddress(sessionNotices_.Get(), "WTSRegisterSessionNotification") : nullptr));
    if (!start || !start(window_->Handle(), NOTIFY_FOR_THIS_SESSION)) {
        ReportIgnoredFailure("WTSRegisterSessionNotification", GetLastError());
        sessionNotices_.Reset();
    }
}

void TIdleHiding::Release() {
    if (!sessionNotices_) return;
    using Unregister = decltype(WTSUnRegisterSessionNotification);
    if (auto* stop = reinterpret_cast<Unregister*>(reinterpret_cast<void*>(
            GetProcAddress(sessionNotices_.Get(), "WTSUnRegisterSessionNotification"))))
        stop(window_->Handle());
    sessionNotices_.Reset();
}

void TIdleHiding::SessionChanged(WPARAM change) {
    if (change == WTS_SESSION_LOCK) locked_ = true;
    if (change == WTS_SESSION_UNLOCK) locked_ = false;
}

bool TIdleHiding::NobodyLooking() const {
    if (locked_) return true;
    switch (UserNotificationStateSeam()) {
        case QUNS_NOT_PRESENT:  // the screen saver, a locked or switched session
        case QUNS_BUSY:
        case QUNS_RUNNING_D3D_FULL_SCREEN:
        case QUNS_PRESENTATION_MODE:
            return true;
        default:
            return false;
    }
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
    const DWORD now = GetTickCount();
    if (NobodyLooking()) {
        countFromNow_ = true;
        countFrom_ = now;
        return;
    }
    // Tick counts wrap after 49.7 days; the unsigned differences do not mind.
    // The last input's count may lie a little ahead of ours (one that
    // SendInput gave its own count): that is no idle time at all.
    DWORD idleMs = now - input.dwTime;
    if (countFromNow_) {
        if (now - countFrom_ < idleMs) idleMs = now - countFrom_;
        if (input.dwTime - countFrom_ <= MAXLONG) countFromNow_ = false;  // input since: that counts
    }
    if (desktop_.Hidden() || idleMs > MAXLONG || idleMs / 1000 < seconds_) return;
    desktop_.HideDesktop(nullptr);
    hiddenWhenIdle_ = true;
    changesWhenHidden_ = desktop_.Changes();
    lastInputWhenHidden_ = input.dwTime;
}
