#include "TrayIcon/TrayMessage.h"

namespace {
// Window and notification message numbers, as the platform defines them.
constexpr uint32_t kMouseMove = 0x0200, kLButtonDown = 0x0201, kLButtonUp = 0x0202, kLButtonDblClk = 0x0203,
                   kRButtonDown = 0x0204, kRButtonUp = 0x0205, kMButtonDown = 0x0207, kMButtonUp = 0x0208,
                   kContextMenu = 0x007B, kNinSelect = 0x0400, kNinKeySelect = 0x0401,
                   kNinBalloonHide = 0x0403, kNinBalloonTimeout = 0x0404, kNinBalloonUserClick = 0x0405;
}  // namespace

TTrayDecoded DecodeTrayMessage(uint32_t notification, TCallbackVersion version) {
    const bool shell5 = version == TCallbackVersion::cvShell5;
    switch (notification) {
        case kMouseMove:
            return {TTrayAction::MouseMove, true};
        case kLButtonDown:
            return {TTrayAction::LeftDown, true};
        case kLButtonUp:
            return {TTrayAction::LeftUp, true};
        case kLButtonDblClk:
            return {TTrayAction::LeftDoubleClick, true};
        case kRButtonDown:
            return {TTrayAction::RightDown, true};
        case kRButtonUp:
            return shell5 ? TTrayDecoded{} : TTrayDecoded{TTrayAction::RightUp, true};
        case kMButtonDown:
            return {TTrayAction::MiddleDown, true};
        case kMButtonUp:
            return {TTrayAction::MiddleUp, true};
        case kContextMenu:
        case kNinSelect:
        case kNinKeySelect:
            return shell5 ? TTrayDecoded{TTrayAction::RightUp, true} : TTrayDecoded{};
        case kNinBalloonHide:
            return {TTrayAction::BalloonHide, false};
        case kNinBalloonTimeout:
            return {TTrayAction::BalloonTimeout, false};
        case kNinBalloonUserClick:
            return {TTrayAction::BalloonClick, false};
        default:
            return {};
    }
}

TShiftState ShiftStateFromKeys(int16_t shift, int16_t control, int16_t menu, TShiftState button) {
    TShiftState state = button;
    if (shift < 0) state |= ssShift;
    if (control < 0) state |= ssCtrl;
    if (menu < 0) state |= ssAlt;
    return state;
}
