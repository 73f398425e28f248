// The user's settings in the running copy: the hot key registered as
// HKCU\Software\Brivane "HotKey" names it (Ctrl+F12 when it names none) and
// shown as the shortcut of "Hide Desktop" and "Show Desktop", and the idle
// time of "AutoHide". A hot key that another program holds is refused and the
// one registered before stays.
#include "MainWindow.h"
#include "UserSettings.h"
#include "core/Exception.h"
#include "core/Utf.h"

namespace {

// Tells a debugger of a setting that could not be used as stored.
void ReportSettingProblem(const std::string& problem) {
    if (!problem.empty()) OutputDebugStringW(Widen(problem + "\n").c_str());
}

}  // namespace

TSettingsReply TMainWindow::ApplyStoredSettings() {
    const THotKeySetting hotKey = ReadHotKeySetting();
    ReportSettingProblem(hotKey.problem);
    const TAutoHideSetting autoHide = ReadAutoHideSetting();
    ReportSettingProblem(autoHide.problem);
    autoHideSeconds_ = autoHide.seconds;

    const std::optional<THotKey> wanted = hotKey.hotKey;
    if (wanted != registeredHotKey_) {
        const std::optional<THotKey> previous = registeredHotKey_;
        if (previous) UnregisterHotKey(Handle(), kHotKeyId);
        registeredHotKey_.reset();
        if (wanted && RegisterHotKey(Handle(), kHotKeyId, wanted->modifiers, wanted->key)) {
            registeredHotKey_ = wanted;
        } else if (wanted) {
            ReportIgnoredFailure("RegisterHotKey", GetLastError());
            if (previous && RegisterHotKey(Handle(), kHotKeyId, previous->modifiers, previous->key))
                registeredHotKey_ = previous;
        }
    }
    const std::string shortCut = registeredHotKey_ ? HotKeyText(*registeredHotKey_) : std::string();
    for (TMenuItem* item : {HideDesktopItem, ShowDesktopItem}) {
        item->SetShortCut(0);
        item->SetShortCutText(shortCut);
    }
    return TSettingsReply{DesktopHidden(), wanted && registeredHotKey_ == wanted};
}
