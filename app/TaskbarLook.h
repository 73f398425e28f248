// What the tray images are drawn for: the small-icon size at the DPI of the
// primary monitor, which holds the taskbar, and the taskbar's colours.
#pragma once

#include <windows.h>

#include <optional>

#include "TrayIcon/TrayIcon.h"
#include "TrayState.h"
#include "core/Seam.h"
#include "win/ImgList.h"
#include "win/Menus.h"

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

// The look now, as read for the primary monitor; tests give their own (a
// Wine session reads its DPI once, at start, and has no high contrast).
extern TSeam<TTaskbarLook()> TaskbarLookSeam;

// The tray's images follow the taskbar: drawn for its theme at the small-icon
// size of the primary monitor's DPI, rebuilt when either changes, and the
// icon sent again once. The menu's images are made for the monitor the menu
// opens on (just before the tray icon opens it, on the right button's
// press), and resized with the tray's on the primary monitor once they exist.
class TTrayPictures {
public:
    // Tray images 0 desktop shown, 1 desktop hidden, 2 About, 3 Exit; the
    // menu's own images 0 to 3, for a light menu.
    TTrayPictures(TImageList* trayImages, TImageList* menuImages);
    // The tray icon and the menu items that show the images, once they exist;
    // the icon's mouse-down slot makes the menu's images.
    struct TShownIn {
        TTrayIcon* icon;
        const TTrayState* state;
        TMenuItem* showItem;
        TMenuItem* hideItem;
        TMenuItem* aboutItem;
        TMenuItem* exitItem;
    };
    void ShowIn(TShownIn shownIn);

    // Reads the look and redraws what changed.
    void Follow();
    void FitMenuImages(HMONITOR monitor);
    int IconSize() const { return trayImages_->Width(); }

private:
    void PrepareTrayMenu(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void LoadTrayImages(const TTaskbarLook& look);
    TImageList* trayImages_;
    TImageList* menuImages_;
    std::optional<TShownIn> shownIn_;
    TTaskbarLook look_;
};
