// The background on every monitor: IDesktopWallpaper::Enable(FALSE) while the
// desktop is hidden, Enable(TRUE) when it comes back. Nothing else of the
// user's choice (each monitor's picture, the fit, the colour, the slideshow,
// Spotlight) is read or written, so nothing of it can be lost.
#include "DesktopBackground.h"

#include "Settings.h"
#include "core/Exception.h"
#include "win/Application.h"
#include "win/SystemLibrary.h"

namespace {

// ole32 is loaded with the first hide, not at start-up (docs/windows.md,
// "COM on the program's thread").
TSystemFunction<decltype(CoCreateInstance)> gCoCreateInstance("ole32.dll", "CoCreateInstance");

// The shell's desktop-wallpaper object, in the application's apartment; false
// when there is none (Windows 7, Wine) or COM can't be reached.
bool CreateDesktopWallpaper(TComRef<IDesktopWallpaper>& wallpaper) {
    EnterComApartmentForShell();
    if (!gCoCreateInstance.Find()) return false;
    const HRESULT result =
        gCoCreateInstance.Find()(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper,
                                 reinterpret_cast<void**>(wallpaper.Receive()));
    if (FAILED(result) || !wallpaper) {
        ReportIgnoredFailure("CoCreateInstance(CLSID_DesktopWallpaper)", static_cast<unsigned long>(result));
        wallpaper.Reset();
        return false;
    }
    return true;
}

// Enable's S_FALSE means the background already was as asked.
bool TurnOn(IDesktopWallpaper& wallpaper) {
    const HRESULT result = wallpaper.Enable(TRUE);
    if (SUCCEEDED(result)) return true;
    ReportIgnoredFailure("IDesktopWallpaper::Enable(TRUE)", static_cast<unsigned long>(result));
    return false;
}

}  // namespace

TDesktopBackground::~TDesktopBackground() { GiveBack(); }

bool TDesktopBackground::TakeAway() {
    if (wallpaper_) return true;
    if (!CreateDesktopWallpaper(wallpaper_)) return false;
    // Recorded first: should the program end before GiveBack, even inside the
    // call, the next start finds the record.
    if (!RecordBackgroundOff()) {
        wallpaper_.Reset();
        return false;
    }
    const HRESULT result = wallpaper_->Enable(FALSE);
    if (result == S_OK) return true;
    wallpaper_.Reset();
    ForgetBackgroundOff();
    // S_FALSE: the user has the background off; it stays so, and is not ours
    // to turn on.
    if (result == S_FALSE) return true;
    ReportIgnoredFailure("IDesktopWallpaper::Enable(FALSE)", static_cast<unsigned long>(result));
    return false;
}

void TDesktopBackground::GiveBack() {
    if (!wallpaper_) return;
    if (TurnOn(*wallpaper_.Get())) ForgetBackgroundOff();
    wallpaper_.Reset();
}

void TDesktopBackground::GiveBackAfterFault() {
    // The record stays: the next start finds it and turns the background on
    // again, which does no harm when it is on.
    if (wallpaper_) wallpaper_->Enable(TRUE);
}

void TDesktopBackground::RepairLeftOver() {
    if (!BackgroundOffRecorded()) return;
    TComRef<IDesktopWallpaper> wallpaper;
    if (CreateDesktopWallpaper(wallpaper) && TurnOn(*wallpaper.Get())) ForgetBackgroundOff();
}
