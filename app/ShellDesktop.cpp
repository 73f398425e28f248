#include "ShellDesktop.h"

#include "Settings.h"
#include "core/Utf.h"

namespace {

// Every lookup below passes a null window name: the shell's list view is
// named "FolderView", and an empty name would match only untitled windows.
HWND DefViewIn(HWND parent) {
    return parent ? FindWindowExW(parent, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
}

void SetDesktopParameter(UINT action, const std::string& value) {
    // fWinIni 0: for the running logon only, neither stored nor broadcast.
    std::wstring wide = Widen(value);
    SystemParametersInfoW(action, 0, wide.data(), 0);
}

}  // namespace

TSeam<void(UINT, const std::string&)> DesktopParameterSeam(&SetDesktopParameter);

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
    const int command = show ? SW_SHOWNA : SW_HIDE;
    if (progman) ShowWindowAsync(progman, command);
    if (host && host != progman) ShowWindowAsync(host, command);
}

bool ShellShowsDesktop() {
    HWND progman = ShellDesktopWindow();
    HWND host = DesktopIconHost();
    return (progman && IsWindowVisible(progman)) || (host && IsWindowVisible(host));
}

void PutStoredWallpaperBackAfterFault(bool patternOnly) {
    for (const UINT action : {UINT{SPI_SETDESKPATTERN}, UINT{SPI_SETDESKWALLPAPER}}) {
        if (patternOnly && action == SPI_SETDESKWALLPAPER) break;
        wchar_t value[MAX_PATH] = {};
        if (ReadWallpaperOrPatternAfterFault(action == SPI_SETDESKPATTERN, value))
            SystemParametersInfoW(action, 0, value, 0);
    }
}
