#include "CaptionColours.h"

#include <commctrl.h>

#include "Settings.h"
#include "ShellDesktop.h"
#include "win/Application.h"

namespace {
UINT ShellAnswerLimit() { return 500; }
}  // namespace

TSeam<UINT()> ShellAnswerLimitSeam(&ShellAnswerLimit);

void ResetShellCaptionColours() {
    const int element = COLOR_BACKGROUND;
    const COLORREF colour = GetSysColor(COLOR_BACKGROUND);
    SetSysColors(1, &element, &colour);
}

TCaptionColours::TCaptionColours(TParts parts, THeartbeat& heartbeat) : parts_(parts), heartbeat_(heartbeat) {
    parts_.chooseItem->OnClick = TNotifyEvent(this, &TCaptionColours::Choose);
    parts_.transparentItem->OnClick = TNotifyEvent(this, &TCaptionColours::ToggleTransparent);
    parts_.defaultItem->OnClick = TNotifyEvent(this, &TCaptionColours::RestoreDefaults);
}

void TCaptionColours::SubscribeToHeartbeat() {
    heartbeat_.Subscribe([this] { Watch(); });
}

void TCaptionColours::ReadTransparency() {
    if (const std::optional<bool> transparent = ReadTransparentCaptions())
        parts_.transparentItem->SetChecked(*transparent);
}

void TCaptionColours::FindListView() {
    capturePending_ = true;
    listView_ = FindDesktopListView();
}

HWND TCaptionColours::CurrentListView() {
    if (!IsWindow(listView_)) listView_ = FindDesktopListView();
    return listView_;
}

bool TCaptionColours::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND list = CurrentListView();
    if (!list || shellSilent_) return false;
    // The list view belongs to the shell's process: a hung shell must not
    // hang the tray icon with it. One message it leaves unanswered is enough
    // to wait for until the next beat or the next load.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, ShellAnswerLimitSeam(),
                             &answer)) {
        shellSilent_ = true;
        return false;
    }
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

void TCaptionColours::Apply(COLORREF text, COLORREF back, bool transparent) {
    Send(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(transparent ? CLR_NONE : back));
    Send(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
    LRESULT count = 0;
    if (!Send(LVM_GETITEMCOUNT, 0, 0, &count)) return;
    Send(LVM_REDRAWITEMS, 0, count - 1);
    // Painted when the shell's thread next reads its messages; UpdateWindow
    // would wait for that paint without a time limit.
    InvalidateRect(CurrentListView(), nullptr, TRUE);
}

void TCaptionColours::Load() {
    shellSilent_ = false;
    const std::optional<COLORREF> colour = ReadCaptionColour();
    if (!colour) return;
    Apply(*colour, GetSysColor(COLOR_BACKGROUND), parts_.transparentItem->Checked());
    parts_.chooser->SetColor(*colour);
}

void TCaptionColours::DesktopRenewed() {
    FindListView();
    Load();
}

void TCaptionColours::Choose(TObject*) {
    if (const std::optional<COLORREF> stored = ReadCaptionColour()) parts_.chooser->SetColor(*stored);
    if (!parts_.chooser->Execute()) return;
    WriteCaptionColour(parts_.chooser->Color());
    Apply(parts_.chooser->Color(), GetSysColor(COLOR_BACKGROUND), parts_.transparentItem->Checked());
    parts_.submenu->SetChecked(true);
    capturePending_ = true;
}

void TCaptionColours::ToggleTransparent(TObject*) {
    parts_.transparentItem->SetChecked(!parts_.transparentItem->Checked());
    Load();
    WriteTransparentCaptions(parts_.transparentItem->Checked());
}

void TCaptionColours::RestoreDefaults(TObject*) {
    ResetShellCaptionColours();
    capturePending_ = true;
    // A value that is not there is no error: the captions are the shell's
    // already.
    ForgetCaptionColour();
    parts_.submenu->SetChecked(false);
}

void TCaptionColours::Watch() {
    shellSilent_ = false;
    // A list view made anew (the shell restarted, or built its desktop only
    // after telling so) gets the stored colours before its colour is taken as
    // the one to keep.
    if (!IsWindow(listView_)) {
        if (HWND fresh = FindDesktopListView()) {
            listView_ = fresh;
            capturePending_ = true;
            Load();
        }
    }
    // A colour that could not be read (the shell did not answer in time, or
    // its list view is gone) is no colour: nothing is captured and nothing
    // repainted until a read succeeds.
    LRESULT read = 0;
    const bool answered = Send(LVM_GETTEXTCOLOR, 0, 0, &read);
    const auto current = static_cast<COLORREF>(read);
    if (capturePending_) {
        if (answered) {
            captured_ = current;
            capturePending_ = false;
        }
        // Once for each capture, however many beats the shell takes to
        // answer: an About window opened meanwhile stays open.
        if (!captureMinimised_) {
            Application->Minimize();
            heartbeat_.EverySecond();
        }
        captureMinimised_ = capturePending_;
        return;
    }
    if (answered && current != captured_) Load();
}
