// Hiding and showing the shell's desktop: its windows, and the wallpaper and
// pattern of the running logon. The stored "Wallpaper" and "Pattern" values
// are only read, never written, so showing puts back the user's own.
#include "ShellDesktop.h"

#include "MainWindow.h"
#include "core/Utf.h"
#include "win/Registry.h"

namespace {

// Every lookup below passes a null window name: the shell's list view is
// named "FolderView", and an empty name would match only untitled windows.
HWND DefViewIn(HWND parent) {
    return parent ? FindWindowExW(parent, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
}

TMainWindow::TDesktopParameterFunction& DesktopParameterFunction() {
    static TMainWindow::TDesktopParameterFunction function;
    return function;
}

}  // namespace

HWND ShellDesktopWindow() { return FindWindowW(L"ProgMan", nullptr); }

// It is "Progman" on classic desktops and on Windows 11 24H2 and later
// (which keep a child "WorkerW" beside it); on Windows 10 and 11 after a
// wallpaper slideshow or a peek at the desktop it is a top-level "WorkerW",
// with Progman left empty. Hiding Progman alone would then leave the icons up.
HWND DesktopIconHost() {
    HWND progman = ShellDesktopWindow();
    if (DefViewIn(progman)) return progman;
    HWND worker = nullptr;
    while ((worker = FindWindowExW(nullptr, worker, L"WorkerW", nullptr)) != nullptr) {
        if (DefViewIn(worker)) return worker;
    }
    return nullptr;
}

HWND FindDesktopListView() {
    HWND view = DefViewIn(DesktopIconHost());
    return view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
}

void ShowDesktopWindows(bool show) {
    HWND progman = ShellDesktopWindow();
    HWND host = DesktopIconHost();
    ShowWindow(progman, show ? SW_RESTORE : SW_HIDE);
    if (host && host != progman) ShowWindow(host, show ? SW_SHOWNA : SW_HIDE);
}

void TMainWindow::SetDesktopParameterFunction(TDesktopParameterFunction function) {
    DesktopParameterFunction() = std::move(function);
}

void SetDesktopParameter(UINT action, const std::string& value) {
    if (DesktopParameterFunction()) {
        DesktopParameterFunction()(action, value);
        return;
    }
    // fWinIni 0: for the running logon only, neither stored nor broadcast.
    std::wstring wide = Widen(value);
    SystemParametersInfoW(action, 0, wide.data(), 0);
}

void ClearShellDesktop() {
    ShowDesktopWindows(false);
    SetDesktopParameter(SPI_SETDESKPATTERN, "");
    SetDesktopParameter(SPI_SETDESKWALLPAPER, "");
}

void TMainWindow::HideDesktop(TObject*) {
    ClearShellDesktop();
    EnterHiddenInterface();
}

void TMainWindow::ShowDesktop(TObject*) {
    std::string wallpaper, pattern;
    WithUserKey(kDesktopSettingsKey, TKeyOpening::OpenExisting, [&](const TRegistry& desktop) {
        wallpaper = desktop.ReadString("Wallpaper");
        pattern = desktop.ReadString("Pattern");
    });
    // The pattern before the wallpaper, as when hiding.
    SetDesktopParameter(SPI_SETDESKPATTERN, pattern);
    SetDesktopParameter(SPI_SETDESKWALLPAPER, wallpaper);
    ShowDesktopWindows(true);
    LoadIconColours();
    EnterShownInterface();
}

void TMainWindow::ShellRestarted() {
    // Explorer has made its desktop windows anew, shown and with its own
    // caption colours: the list view is another window now. A desktop that
    // was hidden is hidden again, so that the tray's state still holds.
    DesktopListView = FindDesktopListView();
    ColourCheckPending = true;
    if (DesktopHidden()) ClearShellDesktop();
    LoadIconColours();
}
