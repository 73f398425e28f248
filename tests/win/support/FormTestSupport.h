// Helpers for tests that create the main window against a desktop fixture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Capture.h"
#include "MainWindow.h"
#include "ShellDesktop.h"
#include "WebLabel/WebLabel.h"
#include "win/ExtCtrls.h"
#include "win/StdCtrls.h"

// A component of the main window's stored description, by its name; a test
// that names one the window lacks fails there.
template <class T>
T* Named(TComponent* owner, std::string_view name) {
    auto* component = dynamic_cast<T*>(owner->FindComponent(name));
    if (!component) throw std::runtime_error("no component " + std::string(name) + " of that kind");
    return component;
}

inline std::vector<uint32_t> ImageListPixels(TCustomImageList* list, int index) {
    TIcon icon;
    list->GetIcon(index, icon);
    return capture::IconPixels(icon.Handle()).data;
}

// Records the pattern and wallpaper calls in order instead of making them.
class TDesktopParameterRecorder {
public:
    TDesktopParameterRecorder() {
        DesktopParameterSeam.Replace(
            [this](UINT action, const std::string& value) { calls.emplace_back(action, value); });
    }
    ~TDesktopParameterRecorder() { DesktopParameterSeam.Replace(nullptr); }
    std::vector<std::pair<UINT, std::string>> calls;
};

// What the user sees of the desktop's state: the tray icon's hint and image,
// and the tray menu's Show, Hide and Exit items. (What a click and the menu's
// opening then do is checked by the tests that click and open it.)
inline void ExpectInterfaceState(TMainWindow* form, bool hidden) {
    SCOPED_TRACE(hidden ? "desktop-hidden state" : "desktop-shown state");
    EXPECT_EQ(Named<TTrayIcon>(form, "TrayIcon")->Hint(),
              hidden ? "Click to show desktop. Right click For menu" : "Click to hide desktop");
    EXPECT_EQ(capture::IconPixels(Named<TTrayIcon>(form, "TrayIcon")->Icon()->Handle()).data,
              ImageListPixels(Named<TImageList>(form, "TrayImages"), hidden ? 1 : 0));
    EXPECT_EQ(Named<TMenuItem>(form, "HideDesktopItem")->Visible(), !hidden);
    EXPECT_EQ(Named<TMenuItem>(form, "ShowDesktopItem")->Visible(), hidden);
    EXPECT_EQ(Named<TMenuItem>(form, "ExitItem")->Enabled(), !hidden);
}

// True while Ctrl+F12 is taken (by the main window).
inline bool HotKeyTaken() {
    if (!RegisterHotKey(nullptr, 0xBEEF, MOD_CONTROL, VK_F12)) return true;
    UnregisterHotKey(nullptr, 0xBEEF);
    return false;
}
