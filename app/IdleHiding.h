// Hiding the desktop when the user is away: on each beat of the heartbeat
// (every second once the caption colour is captured, every three before),
// the time since the last keyboard or mouse input (GetLastInputInfo) is
// compared with the idle time the settings give. The desktop then hides as a
// click would. The first input afterwards shows it again, but only while it
// is still hidden that way: any other hide or show in between (the user's)
// clears the mark.
#pragma once

#include <windows.h>

#include <cstdint>

#include "DesktopSwitch.h"
#include "Heartbeat.h"

class TIdleHiding {
public:
    TIdleHiding(TDesktopSwitch& desktop, THeartbeat& heartbeat);
    // 0: off.
    void SetSeconds(uint32_t seconds) { seconds_ = seconds; }

private:
    void Watch();
    TDesktopSwitch& desktop_;
    uint32_t seconds_ = 0;
    // Set when the idle time hid the desktop: the desktop's change count
    // after that hide and the time of the last input then.
    bool hiddenWhenIdle_ = false;
    unsigned changesWhenHidden_ = 0;
    DWORD lastInputWhenHidden_ = 0;
};
