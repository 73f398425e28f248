// Hiding and showing the shell's desktop: its windows, and the wallpaper and
// pattern of the running logon. The stored "Wallpaper" and "Pattern" values
// are only read, never written, so showing puts back the user's own.
#include "ShellDesktop.h"

#include <exception>

#include "MainWindow.h"
#include "core/Exception.h"
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

void TMainWindow::HideDesktop(TObject*) { Perform(TDesktopAction::Hide); }

void TMainWindow::ShowDesktop(TObject*) { Perform(TDesktopAction::Show); }

void TMainWindow::ShellRestarted() { Perform(TDesktopAction::ShellRestarted); }

void TMainWindow::DoHideDesktop() {
    ClearShellDesktop();
    desktopTakenAway_ = true;
    EnterHiddenInterface();
}

void TMainWindow::DoShowDesktop() {
    // The desktop comes back whatever else fails: a setting that can't be
    // read (a value of the wrong type) is reported once the desktop is back
    // and the tray says so, and the wallpaper or pattern it names stays
    // cleared for this logon.
    std::exception_ptr failure;
    auto attempt = [&failure](const auto& step) {
        try {
            step();
        } catch (const std::exception&) {
            if (!failure) failure = std::current_exception();
        }
    };
    std::string wallpaper, pattern;
    bool read = false;
    attempt([&] {
        WithUserKey(kDesktopSettingsKey, TKeyOpening::OpenExisting, [&](const TRegistry& desktop) {
            wallpaper = desktop.ReadString("Wallpaper");
            pattern = desktop.ReadString("Pattern");
        });
        read = true;
    });
    if (read) {
        // The pattern before the wallpaper, as when hiding.
        SetDesktopParameter(SPI_SETDESKPATTERN, pattern);
        SetDesktopParameter(SPI_SETDESKWALLPAPER, wallpaper);
    }
    ShowDesktopWindows(true);
    desktopTakenAway_ = false;
    attempt([this] { LoadIconColours(); });
    EnterShownInterface();
    if (failure) std::rethrow_exception(failure);
}

void TMainWindow::ShowDesktopBeforeLeaving() {
    if (!DesktopHidden()) return;
    try {
        DoShowDesktop();
    } catch (const std::exception& error) {
        ReportToDebugger(std::string("showing the desktop on the way out: ") + error.what());
    }
}

void TMainWindow::DoShellRestarted() {
    // Explorer has made its desktop windows anew, shown and with its own
    // caption colours: the list view is another window now. A desktop that
    // was hidden is hidden again, so that the tray's state still holds. A
    // shell that builds its desktop only after the broadcast is met by the
    // watchdog's next ticks, which follow the desktop's windows and put the
    // colours on a list view they find new.
    DesktopListView = FindDesktopListView();
    ColourCheckPending = true;
    FollowShellDesktop();
    LoadIconColours();
}

void TMainWindow::FollowShellDesktop() {
    if (!DesktopHidden()) return;
    HWND progman = ShellDesktopWindow();
    HWND host = DesktopIconHost();
    if (!(progman && IsWindowVisible(progman)) && !(host && IsWindowVisible(host))) return;
    if (desktopTakenAway_) {
        ClearShellDesktop();
    } else {
        // The program started before the shell had a desktop (none counts
        // as hidden); now that there is one, the tray says it is shown,
        // without touching it.
        EnterShownInterface();
    }
}
