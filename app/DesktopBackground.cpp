// The background on every monitor: IDesktopWallpaper::Enable(FALSE) while the
// desktop is hidden, Enable(TRUE) when it comes back. Nothing else of the
// user's choice (each monitor's picture, the fit, the colour, the slideshow,
// Spotlight) is read or written, so nothing of it can be lost.
#include "DesktopBackground.h"

#include <string>

#include "UserSettings.h"
#include "core/Exception.h"
#include "win/Application.h"
#include "win/Handles.h"
#include "win/SystemLibrary.h"

namespace {

// kSettingsKey, wide: the record is reached with the W functions directly,
// without WithUserKey's conversions, since the crash filter deletes it.
constexpr wchar_t kSettingsKeyWide[] = L"Software\\Brivane";

constexpr bool SameText(const char* narrow, const wchar_t* wide) {
    for (; *narrow != '\0' || *wide != L'\0'; ++narrow, ++wide) {
        if (static_cast<wchar_t>(*narrow) != *wide) return false;
    }
    return true;
}
static_assert(SameText(kSettingsKey, kSettingsKeyWide), "the record lives under the settings key");

constexpr DWORD kRecordedOff = 1;

// ole32 is loaded with the first hide, not at start-up (docs/windows.md,
// "COM on the program's thread").
TSystemFunction<decltype(CoCreateInstance)> gCoCreateInstance("ole32.dll", "CoCreateInstance");

// The shell's desktop-wallpaper object, in the application's apartment; false
// when there is none (Windows 7, Wine) or COM can't be reached.
bool CreateDesktopWallpaper(TComRef<IDesktopWallpaper>& wallpaper) {
    EnterComApartmentForShell();
    HRESULT result = E_FAIL;
    try {
        result = gCoCreateInstance.Get()(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper,
                                         reinterpret_cast<void**>(wallpaper.Receive()));
    } catch (const EWin32Error& error) {
        ReportToDebugger(std::string("the desktop background stays as it is: ") + error.what());
        return false;
    }
    if (FAILED(result) || !wallpaper) {
        ReportIgnoredFailure("CoCreateInstance(CLSID_DesktopWallpaper)", static_cast<unsigned long>(result));
        wallpaper.Reset();
        return false;
    }
    return true;
}

bool WriteRecord() {
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyWide, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &opened, nullptr);
    if (status == ERROR_SUCCESS) {
        const TUniqueKey key(opened);
        status = RegSetValueExW(key.Get(), kBackgroundOffValue, 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&kRecordedOff), sizeof(kRecordedOff));
    }
    if (status != ERROR_SUCCESS) ReportIgnoredFailure("RegSetValueExW", static_cast<unsigned long>(status));
    return status == ERROR_SUCCESS;
}

void DeleteRecord() {
    const LONG status = RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKeyWide, kBackgroundOffValue);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        ReportIgnoredFailure("RegDeleteKeyValueW", static_cast<unsigned long>(status));
    }
}

// Enable's S_FALSE means the background already was as asked.
void TurnOn(IDesktopWallpaper& wallpaper) {
    const HRESULT result = wallpaper.Enable(TRUE);
    if (SUCCEEDED(result)) {
        DeleteRecord();
    } else {
        ReportIgnoredFailure("IDesktopWallpaper::Enable(TRUE)", static_cast<unsigned long>(result));
    }
}

}  // namespace

TDesktopBackground::~TDesktopBackground() { GiveBack(); }

bool TDesktopBackground::TakeAway() {
    if (wallpaper_) return true;
    if (!CreateDesktopWallpaper(wallpaper_)) return false;
    // Recorded first: should the program end before GiveBack, even inside the
    // call, the next start finds the record.
    if (!WriteRecord()) {
        wallpaper_.Reset();
        return false;
    }
    const HRESULT result = wallpaper_->Enable(FALSE);
    if (result == S_OK) return true;
    wallpaper_.Reset();
    DeleteRecord();
    // S_FALSE: the user has the background off; it stays so, and is not ours
    // to turn on.
    if (result == S_FALSE) return true;
    ReportIgnoredFailure("IDesktopWallpaper::Enable(FALSE)", static_cast<unsigned long>(result));
    return false;
}

void TDesktopBackground::GiveBack() {
    if (!wallpaper_) return;
    TurnOn(*wallpaper_.Get());
    wallpaper_.Reset();
}

void TDesktopBackground::RepairLeftOver() {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG status = RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyWide, kBackgroundOffValue,
                                     RRF_RT_ANY | RRF_NOEXPAND, &type, &value, &size);
    if (status == ERROR_FILE_NOT_FOUND) return;
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value) || value != kRecordedOff) {
        // Not a record this program writes: the background is not touched.
        ReportToDebugger(
            "the background record under HKCU\\Software\\Brivane is not a DWORD 1; left as it is");
        return;
    }
    TComRef<IDesktopWallpaper> wallpaper;
    if (CreateDesktopWallpaper(wallpaper)) TurnOn(*wallpaper.Get());
}
