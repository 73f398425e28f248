// Decoding of the shell's notification-area callbacks into tray actions. Pure
// logic with no Win32 types, so it is tested natively.
#pragma once

#include <cstdint>

enum class TCallbackVersion : uint8_t { cvClassic = 0, cvShell5 = 1 };

enum class TTrayAction {
    None,
    MouseMove,
    LeftDown,
    LeftUp,
    LeftDoubleClick,
    RightDown,
    RightUp,
    MiddleDown,
    MiddleUp,
    BalloonHide,
    BalloonTimeout,
    BalloonClick,
};

struct TTrayDecoded {
    TTrayAction action = TTrayAction::None;
    // Mouse actions are dropped while the icon is disabled; balloon ones never.
    bool gatedByEnabled = false;
};

// Maps the callback's lParam (the mouse or notification message) to an action.
// With the shell-5 callbacks the right button's release arrives as a context
// menu or select notification, and WM_RBUTTONUP is ignored.
TTrayDecoded DecodeTrayMessage(uint32_t notification, TCallbackVersion version);

// Shift-state flags of mouse events, in one byte.
enum TShiftFlag : uint8_t {
    ssShift = 1 << 0,
    ssAlt = 1 << 1,
    ssCtrl = 1 << 2,
    ssLeft = 1 << 3,
    ssRight = 1 << 4,
    ssMiddle = 1 << 5,
};
using TShiftState = uint8_t;

enum class TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// The shift state from the three keys' GetAsyncKeyState results (a key is down
// when the 16-bit value is negative) plus a button's flag.
TShiftState ShiftStateFromKeys(int16_t shift, int16_t control, int16_t menu, TShiftState button);
