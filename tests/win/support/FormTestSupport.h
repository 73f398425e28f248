// Helpers for tests that create the main window against a desktop fixture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Capture.h"
#include "MainWindow.h"

inline std::vector<uint32_t> ImageListPixels(TCustomImageList* list, int index) {
    TIcon icon;
    list->GetIcon(index, icon);
    return capture::IconPixels(icon.Handle()).data;
}

// Records the pattern and wallpaper calls in order instead of making them.
class TDesktopParameterRecorder {
public:
    TDesktopParameterRecorder() {
        TMainWindow::SetDesktopParameterFunction(
            [this](UINT action, const std::string& value) { calls.emplace_back(action, value); });
    }
    ~TDesktopParameterRecorder() { TMainWindow::SetDesktopParameterFunction(nullptr); }
    std::vector<std::pair<UINT, std::string>> calls;
};

// What the user sees of the desktop's state: the tray icon's hint and image,
// and the tray menu's Show, Hide and Exit items. (What a click and the menu's
// opening then do is checked by the tests that click and open it.)
inline void ExpectInterfaceState(TMainWindow* form, bool hidden) {
    SCOPED_TRACE(hidden ? "desktop-hidden state" : "desktop-shown state");
    EXPECT_EQ(form->TrayIcon->Hint(),
              hidden ? "Click to show desktop. Right click For menu" : "Click to hide desktop");
    EXPECT_EQ(capture::IconPixels(form->TrayIcon->Icon()->Handle()).data,
              ImageListPixels(form->TrayImages, hidden ? 1 : 0));
    EXPECT_EQ(form->HideDesktopItem->Visible(), !hidden);
    EXPECT_EQ(form->ShowDesktopItem->Visible(), hidden);
    EXPECT_EQ(form->ExitItem->Enabled(), !hidden);
}

// True while Ctrl+F12 is taken (by the main window).
inline bool HotKeyTaken() {
    if (!RegisterHotKey(nullptr, 0xBEEF, MOD_CONTROL, VK_F12)) return true;
    UnregisterHotKey(nullptr, 0xBEEF);
    return false;
}
