// The caption colours of the desktop icons: the colour the user chose and a
// transparent caption background, put on the shell's list view at start-up,
// after Show and whenever the shell puts its own colours back. "Custom Icons"
// in the tray menu is where the user chooses them.
#pragma once

#include <windows.h>

#include "Heartbeat.h"
#include "core/Seam.h"
#include "win/Dialogs.h"
#include "win/Menus.h"

// How long a list-view message to the shell may wait for its answer, in
// milliseconds (500: the tray and the commands wait as long); tests shorten
// it.
extern TSeam<UINT()> ShellAnswerLimitSeam;

// Makes the shell put its own caption colours back: setting the desktop
// colour to itself sends WM_SYSCOLORCHANGE to every top-level window.
void ResetShellCaptionColours();

class TCaptionColours {
public:
    struct TParts {
        TMenuItem* submenu;  // "Custom Icons", checked while a colour is chosen
        TMenuItem* chooseItem;
        TMenuItem* transparentItem;
        TMenuItem* defaultItem;
        TColorDialog* chooser;
    };
    // Takes the items' click slots; the heartbeat beats faster once the
    // first colour is captured.
    TCaptionColours(TParts parts, THeartbeat& heartbeat);
    // From now on each beat watches the colour.
    void SubscribeToHeartbeat();

    // Start-up: the transparency as stored (the check mark stays when none
    // is), then the desktop's list view looked up with a capture to come.
    void ReadTransparency();
    void FindListView();
    // Puts the stored colour on the list view; nothing when none is stored.
    void Load();
    // The shell made its desktop anew: the new list view gets the colours.
    void DesktopRenewed();

    // What the watchdog holds: whether the next beat captures the colour to
    // keep, the colour captured, and the list view it watches.
    bool CapturePending() const { return capturePending_; }
    COLORREF CapturedColour() const { return captured_; }
    HWND ListView() const { return listView_; }

private:
    void Choose(TObject* sender);
    void ToggleTransparent(TObject* sender);
    void RestoreDefaults(TObject* sender);
    // On each beat: a list view made anew gets the colours; the first beat
    // after a change captures the colour, later ones put the stored colour
    // back when the shell has changed it.
    void Watch();
    void Apply(COLORREF text, COLORREF back, bool transparent);
    // The list view, looked up again once the handle has gone stale.
    HWND CurrentListView();
    // False when there is no list view or it did not answer in time.
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);

    TParts parts_;
    THeartbeat& heartbeat_;
    HWND listView_ = nullptr;  // the shell's window: not ours to destroy
    bool capturePending_ = false;
    COLORREF captured_ = 0;
    // The capture minimises the application once, however many beats it
    // takes to read the colour.
    bool captureMinimised_ = false;
    // The shell left a message unanswered since the last beat or load.
    bool shellSilent_ = false;
};
