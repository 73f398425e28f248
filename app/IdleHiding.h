// Hiding the desktop when the user is away: on each beat of the heartbeat
// (every second once the caption colour is captured, every three before),
// the time since the last keyboard or mouse input (GetLastInputInfo) is
// compared with the idle time the settings give. The desktop then hides as a
// click would. The first input afterwards shows it again, but only while it
// is still hidden that way: any other hide or show in between (the user's)
// clears the mark.
//
// Nobody is looking while the session is locked, nor while a full-screen
// program, a presentation or "busy" holds the screen
// (SHQueryUserNotificationState): then nothing hides, and the idle time
// starts again when that ends.
#pragma once

#include <windows.h>

#include <cstdint>

#include "DesktopSwitch.h"
#include "Heartbeat.h"
#include "core/Seam.h"
#include "win/Forms.h"
#include "win/Handles.h"

// What SHQueryUserNotificationState answers (QUERY_USER_NOTIFICATION_STATE);
// tests give their own.
extern TSeam<int()> UserNotificationStateSeam;

class TIdleHiding {
public:
    // `window` hears of the session's locking (WM_WTSSESSION_CHANGE) while
    // the idle time is set.
    TIdleHiding(TWinControl* window, TDesktopSwitch& desktop, THeartbeat& heartbeat);
    TIdleHiding(const TIdleHiding&) = delete;
    TIdleHiding& operator=(const TIdleHiding&) = delete;

    // 0: off.
    void SetSeconds(uint32_t seconds);
    // From WM_WTSSESSION_CHANGE.
    void SessionChanged(WPARAM change);
    // Before the window goes.
    void Release();

private:
    void Watch();
    bool NobodyLooking() const;
    TWinControl* window_;
    TDesktopSwitch& desktop_;
    uint32_t seconds_ = 0;
    // wtsapi32, while the window hears of the session.
    TUniqueModule sessionNotices_;
    bool locked_ = false;
    // The idle time counts from the later of the last input and this tick: the
    // end of a time nobody was looking.
    bool countFromNow_ = false;
    DWORD countFrom_ = 0;
    // Set when the idle time hid the desktop: the desktop's change count
    // after that hide and the time of the last input then.
    bool hiddenWhenIdle_ = false;
    unsigned changesWhenHidden_ = 0;
    DWORD lastInputWhenHidden_ = 0;
};
