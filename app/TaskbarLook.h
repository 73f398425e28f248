// What the tray images are drawn for: the small-icon size at the DPI of the
// primary monitor, which holds the taskbar, and the taskbar's colours.
#pragma once

#include <windows.h>

enum class TTaskbarTheme { Light, Dark, HighContrast };

struct TTaskbarLook {
    int iconSize = 16;
    TTaskbarTheme theme = TTaskbarTheme::Dark;
    // High contrast: the system's window-text and window colours, in which the
    // images' ink and paper are drawn.
    COLORREF ink = 0, paper = 0;
    bool operator==(const TTaskbarLook&) const = default;
};

// The look now: high contrast when it is on (SPI_GETHIGHCONTRAST), else light
// or dark as HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize
// "SystemUsesLightTheme" says (absent, or not a DWORD: dark); the icon size
// at the primary monitor's DPI.
TTaskbarLook ReadTaskbarLook(int primaryDpi);

// SM_CXSMICON at a DPI: 16 pixels at 96.
int SmallIconSizeAt(int dpi);
