// Helpers for tests that create the main window against a desktop fixture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Unit1.h"

// The pixels of an icon drawn at 16 x 16, to compare images by content.
inline std::vector<uint32_t> IconPixels(HICON icon) {
    std::vector<uint32_t> pixels(16 * 16, 0);
    if (!icon) return pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::copy_n(static_cast<uint32_t*>(bits), pixels.size(), pixels.begin());
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

inline std::vector<uint32_t> ImageListPixels(TCustomImageList* list, int index) {
    TIcon icon;
    list->GetIcon(index, icon);
    return IconPixels(icon.Handle());
}

// Records the pattern and wallpaper calls in order instead of making them.
class TDesktopParameterRecorder {
public:
    TDesktopParameterRecorder() {
        TForm1::SetDesktopParameterFunction(
            [this](UINT action, const std::string& value) { calls.emplace_back(action, value); });
    }
    ~TDesktopParameterRecorder() { TForm1::SetDesktopParameterFunction(nullptr); }
    std::vector<std::pair<UINT, std::string>> calls;
};

// The seven pieces of interface state that say whether the desktop is hidden.
inline void ExpectInterfaceState(TForm1* form, bool hidden) {
    SCOPED_TRACE(hidden ? "desktop-hidden state" : "desktop-shown state");
    EXPECT_TRUE(form->TrayIcon1->OnClick ==
                TNotifyEvent(form, hidden ? &TForm1::ShowClick : &TForm1::HideClick));
    if (hidden) {
        EXPECT_TRUE(form->PopupMenu1->OnPopup == TNotifyEvent(form, &TForm1::Popupmenu1popup));
    } else {
        EXPECT_FALSE(form->PopupMenu1->OnPopup == TNotifyEvent(form, &TForm1::Popupmenu1popup));
    }
    EXPECT_EQ(form->TrayIcon1->Hint(),
              hidden ? "Click to show desktop. Right click For menu" : "Click to hide desktop");
    EXPECT_EQ(IconPixels(form->TrayIcon1->Icon()->Handle()),
              ImageListPixels(form->ImageList2, hidden ? 1 : 0));
    EXPECT_EQ(form->Hide1->Visible(), !hidden);
    EXPECT_EQ(form->Show1->Visible(), hidden);
    EXPECT_EQ(form->Exit1->Enabled(), !hidden);
}

// True while Ctrl+F12 is taken (by the main window).
inline bool HotKeyTaken() {
    if (!RegisterHotKey(nullptr, 0xBEEF, MOD_CONTROL, VK_F12)) return true;
    UnregisterHotKey(nullptr, 0xBEEF);
    return false;
}
