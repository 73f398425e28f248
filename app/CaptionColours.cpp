// The desktop icons' caption colours: applying the stored choice to the
// desktop list view, the "Custom Icons" commands that choose and store it
// ("TessikIconColour", "TransparentIcon"), and the watchdog that applies it
// again when the shell puts its own colours back.
#include "MainWindow.h"

#include <commctrl.h>

#include "ShellDesktop.h"
#include "win/Application.h"
#include "win/Registry.h"

namespace {

// How long the shell may take to answer a list-view message.
UINT& ShellAnswerLimit() {
    static UINT limit = 2000;
    return limit;
}

}  // namespace

void TMainWindow::SetShellAnswerLimit(UINT milliseconds) { ShellAnswerLimit() = milliseconds; }

HWND TMainWindow::ListView() {
    if (!IsWindow(DesktopListView)) DesktopListView = FindDesktopListView();
    return DesktopListView;
}

bool TMainWindow::SendToListView(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND list = ListView();
    if (!list) return false;
    // The list view belongs to the shell's process: a hung shell must not
    // hang the tray icon with it.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, ShellAnswerLimit(), &answer))
        return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

LRESULT TMainWindow::SendToListView(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    SendToListView(message, wParam, lParam, &result);
    return result;
}

void TMainWindow::ApplyIconColours(COLORREF textColour, COLORREF backColour, bool transparent) {
    SendToListView(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(transparent ? CLR_NONE : backColour));
    SendToListView(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(textColour));
    LRESULT count = 0;
    // UpdateWindow waits for the shell's paint without a time limit: only
    // for a shell that has just answered.
    if (!SendToListView(LVM_GETITEMCOUNT, 0, 0, &count)) return;
    SendToListView(LVM_REDRAWITEMS, 0, count - 1);
    UpdateWindow(ListView());
}

void TMainWindow::LoadIconColours() {
    WithUserKey(kDesktopSettingsKey, TKeyOpening::CreateIfMissing, [this](const TRegistry& desktop) {
        if (!desktop.ValueExists("TessikIconColour")) return;
        const auto colour = static_cast<COLORREF>(desktop.ReadInteger("TessikIconColour"));
        ApplyIconColours(colour, GetSysColor(COLOR_BACKGROUND), TransparentItem->Checked());
        ColourChooser->SetColor(colour);
    });
}

void TMainWindow::ChooseCaptionColour(TObject*) {
    WithUserKey(kDesktopSettingsKey, TKeyOpening::CreateIfMissing, [this](const TRegistry& desktop) {
        if (desktop.ValueExists("TessikIconColour"))
            ColourChooser->SetColor(static_cast<COLORREF>(desktop.ReadInteger("TessikIconColour")));
    });
    if (!ColourChooser->Execute()) return;
    WithUserKey(kDesktopSettingsKey, TKeyOpening::CreateIfMissing, [this](TRegistry& desktop) {
        desktop.WriteInteger("TessikIconColour", static_cast<int>(ColourChooser->Color()));
    });
    ApplyIconColours(ColourChooser->Color(), GetSysColor(COLOR_BACKGROUND), TransparentItem->Checked());
    CaptionColoursItem->SetChecked(true);
    ColourCheckPending = true;
}

void TMainWindow::ToggleTransparentCaptions(TObject*) {
    TransparentItem->SetChecked(!TransparentItem->Checked());
    LoadIconColours();
    WithUserKey(kDesktopSettingsKey, TKeyOpening::OpenExisting, [this](TRegistry& desktop) {
        desktop.WriteBool("TransparentIcon", TransparentItem->Checked());
    });
}

void TMainWindow::ResetDesktopColours() {
    // Setting the desktop colour to itself makes the system send
    // WM_SYSCOLORCHANGE to every top-level window; the shell then puts its
    // own caption colours back.
    const int element = COLOR_BACKGROUND;
    const COLORREF colour = GetSysColor(COLOR_BACKGROUND);
    SetSysColors(1, &element, &colour);
}

void TMainWindow::RestoreDefaultCaptionColours(TObject*) {
    ResetDesktopColours();
    ColourCheckPending = true;
    // A value that is not there is no error: the captions are the shell's
    // already.
    WithUserKey(kDesktopSettingsKey, TKeyOpening::CreateIfMissing,
                [](TRegistry& desktop) { desktop.DeleteValue("TessikIconColour"); });
    CaptionColoursItem->SetChecked(false);
}

void TMainWindow::WatchCaptionColour(TObject*) {
    // The error box is modal and the timer keeps ticking under it: while a
    // box raised here is open, further ticks do nothing.
    if (watchdogBoxOpen_) return;
    try {
        // Only between desktop actions: what either does would otherwise be
        // undone by the action under way.
        if (!underWay_ && waiting_.empty()) {
            WatchIdleTime();
            FollowShellDesktop();
        }
        // A list view made anew (the shell restarted, or built its desktop
        // only after telling so) gets the stored colours before its colour
        // is taken as the one to keep.
        if (!IsWindow(DesktopListView)) {
            if (HWND fresh = FindDesktopListView()) {
                DesktopListView = fresh;
                ColourCheckPending = true;
                LoadIconColours();
            }
        }
        // A colour that could not be read (the shell did not answer in time,
        // or its list view is gone) is no colour: nothing is captured and
        // nothing repainted until a read succeeds.
        LRESULT read = 0;
        const bool answered = SendToListView(LVM_GETTEXTCOLOR, 0, 0, &read);
        const auto current = static_cast<COLORREF>(read);
        if (ColourCheckPending) {
            if (answered) {
                CapturedTextColour = current;
                ColourCheckPending = false;
            }
            // Once for each capture, however many ticks the shell takes to
            // answer: an About window opened meanwhile stays open.
            if (!captureMinimised_) {
                Application->Minimize();
                ColourWatchdog->SetInterval(1000);
            }
            captureMinimised_ = ColourCheckPending;
            return;
        }
        if (!answered) return;
        if (current != CapturedTextColour) LoadIconColours();
    } catch (const std::exception& error) {
        watchdogBoxOpen_ = true;
        Application->HandleException(error);
        watchdogBoxOpen_ = false;
    }
}
