// The tray images follow the taskbar: drawn for its theme (light, dark, high
// contrast) at the small-icon size of the primary monitor's DPI, rebuilt when
// either changes while the program runs (WM_DPICHANGED, WM_DISPLAYCHANGE,
// WM_SETTINGCHANGE, WM_SYSCOLORCHANGE and the shell's "TaskbarCreated") and
// the icon sent again once. The menu's own images are drawn for a light menu
// at the small-icon size of the monitor the menu opens on.
#include "TaskbarLook.h"

#include "Settings.h"
#include "resource.h"
#include "win/Forms.h"

namespace {

HMONITOR PrimaryMonitor() { return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY); }

TTaskbarLook TaskbarLookNow() { return ReadTaskbarLook(MonitorDpi(PrimaryMonitor())); }

// The resource of a tray image drawn for a theme: images 0 and 1 have a
// drawing for each, the others one for all.
int TrayImageResource(int index, TTaskbarTheme theme) {
    if (index < 2 && theme == TTaskbarTheme::Dark) return IDI_TRAY_DARK_0 + index;
    if (index < 2 && theme == TTaskbarTheme::HighContrast) return IDI_TRAY_CONTRAST_0 + index;
    return IDI_TRAY_IMAGE_FIRST + index;
}

// The menu's images: Show Desktop, Hide Desktop, About, Exit.
constexpr int kMenuImageCount = 4;

}  // namespace

TSeam<TTaskbarLook()> TaskbarLookSeam(&TaskbarLookNow);

int SmallIconSizeAt(int dpi) { return SystemMetricAtDpi(SM_CXSMICON, dpi); }

TTaskbarLook ReadTaskbarLook(int primaryDpi) {
    TTaskbarLook look;
    look.iconSize = SmallIconSizeAt(primaryDpi);
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON)) {
        look.theme = TTaskbarTheme::HighContrast;
        look.ink = GetSysColor(COLOR_WINDOWTEXT);
        look.paper = GetSysColor(COLOR_WINDOW);
        return look;
    }
    if (ReadLightTaskbar()) look.theme = TTaskbarTheme::Light;
    return look;
}

TTrayPictures::TTrayPictures(TImageList* trayImages, TImageList* menuImages)
    : trayImages_(trayImages), menuImages_(menuImages) {}

void TTrayPictures::ShowIn(TShownIn shownIn) {
    shownIn_ = shownIn;
    shownIn.icon->OnMouseDown = TMouseEvent(this, &TTrayPictures::PrepareTrayMenu);
}

void TTrayPictures::LoadTrayImages(const TTaskbarLook& look) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    trayImages_->SetSize(look.iconSize, look.iconSize);
    for (int i = 0; i < IDI_TRAY_IMAGE_COUNT; ++i) {
        const wchar_t* name = MAKEINTRESOURCEW(TrayImageResource(i, look.theme));
        if (look.theme == TTaskbarTheme::HighContrast && i < 2) {
            TIcon drawing;
            drawing.LoadFromResource(module, name, look.iconSize);
            const TUniqueIcon twoTone = TwoToneIcon(drawing.Handle(), look.iconSize, look.ink, look.paper);
            // Without the system's colours it is still the right image.
            trayImages_->AddIcon(twoTone ? twoTone.Get() : drawing.Handle());
        } else {
            trayImages_->AddIconResource(module, name);
        }
    }
    look_ = look;
}

void TTrayPictures::Follow() {
    const TTaskbarLook look = TaskbarLookSeam();
    if (look == look_ && trayImages_->Count() > 0) return;
    const bool resized = look.iconSize != look_.iconSize;
    LoadTrayImages(look);
    // Until the tray icon exists, it takes its image when it is made.
    if (!shownIn_) return;
    // The one change of the icon sends it to the shell again.
    trayImages_->GetIcon(shownIn_->state->Hidden() ? 1 : 0, *shownIn_->icon->Icon());
    // The menu's images are made when it first opens, for its monitor.
    if (resized && menuImages_->Count() > 0) FitMenuImages(PrimaryMonitor());
}

void TTrayPictures::FitMenuImages(HMONITOR monitor) {
    if (!shownIn_) return;
    // On the primary monitor, the taskbar's size.
    const int size = monitor == PrimaryMonitor() ? look_.iconSize : SmallIconSizeAt(MonitorDpi(monitor));
    if (menuImages_->Count() == kMenuImageCount && menuImages_->Width() == size) return;
    menuImages_->SetSize(size, size);
    for (int i = 0; i < kMenuImageCount; ++i)
        menuImages_->AddIconResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY_IMAGE_FIRST + i));
    menuImages_->GetBitmap(1, shownIn_->showItem->Bitmap());
    menuImages_->GetBitmap(0, shownIn_->hideItem->Bitmap());
    menuImages_->GetBitmap(2, shownIn_->aboutItem->Bitmap());
    menuImages_->GetBitmap(3, shownIn_->exitItem->Bitmap());
}

void TTrayPictures::PrepareTrayMenu(TObject*, TMouseButton button, TShiftState, int x, int y) {
    // The right button opens the menu where the cursor is.
    if (button == TMouseButton::mbRight)
        FitMenuImages(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTOPRIMARY));
}
