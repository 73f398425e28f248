// Decoding of the shell's tray callbacks.
#include <gtest/gtest.h>

#include "TrayIcon/TrayMessage.h"

TEST(TrayMessage, ClassicCallbacksMapToMouseActions) {
    const auto v = TCallbackVersion::cvClassic;
    EXPECT_EQ(DecodeTrayMessage(0x0200, v).action, TTrayAction::MouseMove);
    EXPECT_EQ(DecodeTrayMessage(0x0201, v).action, TTrayAction::LeftDown);
    EXPECT_EQ(DecodeTrayMessage(0x0202, v).action, TTrayAction::LeftUp);
    EXPECT_EQ(DecodeTrayMessage(0x0203, v).action, TTrayAction::LeftDoubleClick);
    EXPECT_EQ(DecodeTrayMessage(0x0204, v).action, TTrayAction::RightDown);
    EXPECT_EQ(DecodeTrayMessage(0x0205, v).action, TTrayAction::RightUp);
    EXPECT_EQ(DecodeTrayMessage(0x0207, v).action, TTrayAction::MiddleDown);
    EXPECT_EQ(DecodeTrayMessage(0x0208, v).action, TTrayAction::MiddleUp);
    EXPECT_TRUE(DecodeTrayMessage(0x0201, v).gatedByEnabled);
    // Context-menu style notifications mean nothing to classic callbacks.
    for (uint32_t n : {0x007Bu, 0x0400u, 0x0401u})
        EXPECT_EQ(DecodeTrayMessage(n, v).action, TTrayAction::None);
    // Right and middle double clicks, balloon show, and anything unknown: nothing.
    for (uint32_t n : {0x0206u, 0x0209u, 0x0402u, 0x1234u, 0xFFFFFFFFu}) {
        EXPECT_EQ(DecodeTrayMessage(n, v).action, TTrayAction::None) << n;
    }
}

TEST(TrayMessage, Shell5CallbacksReportTheRightButtonReleaseAsContextNotifications) {
    const auto v = TCallbackVersion::cvShell5;
    EXPECT_EQ(DecodeTrayMessage(0x0205, v).action, TTrayAction::None);
    for (uint32_t n : {0x007Bu, 0x0400u, 0x0401u}) {
        EXPECT_EQ(DecodeTrayMessage(n, v).action, TTrayAction::RightUp);
        EXPECT_TRUE(DecodeTrayMessage(n, v).gatedByEnabled);
    }
}

TEST(TrayMessage, BalloonNotificationsAreNotGatedByEnabled) {
    for (auto v : {TCallbackVersion::cvClassic, TCallbackVersion::cvShell5}) {
        EXPECT_EQ(DecodeTrayMessage(0x0403, v).action, TTrayAction::BalloonHide);
        EXPECT_EQ(DecodeTrayMessage(0x0404, v).action, TTrayAction::BalloonTimeout);
        EXPECT_EQ(DecodeTrayMessage(0x0405, v).action, TTrayAction::BalloonClick);
        EXPECT_FALSE(DecodeTrayMessage(0x0405, v).gatedByEnabled);
    }
}

TEST(TrayMessage, ShiftStateTakesKeysThatReadNegative) {
    EXPECT_EQ(ShiftStateFromKeys(0, 0, 0, ssLeft), ssLeft);
    EXPECT_EQ(ShiftStateFromKeys(-32768, 1, -1, ssRight), ssShift | ssAlt | ssRight);
    EXPECT_EQ(ShiftStateFromKeys(0, -32767, 0, 0), ssCtrl);
}
