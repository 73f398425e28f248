// Hiding and showing the shell's desktop, one action at a time: an action
// asked for while another is under way (a message that arrives while the
// shell is being waited for) waits for it to finish, and every action runs
// in the order asked for. The desktop's state is the tray's (TTrayState).
//
// "Hidden" has one meaning here, the tray's state: the user sees "Show
// Desktop". The desktop windows may be hidden without it (the shell has
// none yet, which start-up takes as shown once it comes), and the state may
// be about to change (PredictedHidden, once the actions waiting are done).
#pragma once

#include <windows.h>

#include <deque>
#include <optional>

#include "CaptionColours.h"
#include "DesktopBackground.h"
#include "TrayState.h"
#include "win/Forms.h"

class TDesktopSwitch {
public:
    enum class TAction { Hide, Show, Exit, ShellRestarted };
    // Posted to `window`: run the actions waiting.
    static constexpr UINT kRunWaitingActions = WM_APP + 1;

    // While it lives it is the desktop that a fault in the program shows
    // before the process ends (an unhandled-exception filter).
    TDesktopSwitch(TWinControl* window, TTrayState& tray, TCaptionColours& colours);
    TDesktopSwitch(const TDesktopSwitch&) = delete;
    TDesktopSwitch& operator=(const TDesktopSwitch&) = delete;
    ~TDesktopSwitch();

    // What the tray icon's click slot and the Hide and Show items hold.
    void HideDesktop(TObject* sender);
    void ShowDesktop(TObject* sender);
    TNotifyEvent HideSlot() { return TNotifyEvent(this, &TDesktopSwitch::HideDesktop); }
    TNotifyEvent ShowSlot() { return TNotifyEvent(this, &TDesktopSwitch::ShowDesktop); }
    void Toggle();
    // Exit: the desktop shown, then the application ends.
    void Exit();
    // The shell was restarted ("TaskbarCreated"): its desktop windows are new.
    void ShellRestarted();

    bool Hidden() const { return tray_.Hidden(); }
    // The state once every action asked for so far has been done.
    bool PredictedHidden() const;
    // No action under way or waiting.
    bool Settled() const { return !underWay_ && waiting_.empty(); }
    unsigned Changes() const { return tray_.Changes(); }

    // Start-up: the state that matches the desktop as found. A desktop left
    // hidden (by a copy that was killed, say) offers "Show Desktop" at once,
    // without touching the wallpaper or the pattern.
    void TakeStartingState();
    // From here on actions run; one asked for while starting runs now.
    void BecomeReady();
    bool Ready() const { return ready_; }
    // Queues an action to be run from the message loop, after those before it.
    void Ask(TAction action);
    void RunWaitingActions();

    // On the heartbeat, between actions: while the desktop is hidden, a
    // desktop window that the shell shows again or makes anew is hidden
    // again; a desktop that the shell made only after a start that found
    // none is taken as shown.
    void FollowShellDesktop();
    // A new wallpaper put in force meanwhile (a slideshow, the settings) is
    // cleared again while the desktop is hidden.
    void WallpaperChanged();
    // Every way out: a hidden desktop is shown first; what fails is told to a
    // debugger, never in a box, so that leaving never waits on one.
    void ShowBeforeLeaving();
    // After a fault in the program, from its exception filter: what Hide took
    // away comes back with calls that load nothing new and wait for no one.
    void ShowAfterFault();

    // Whether Hide leaves the wallpaper and the pattern as they are (the
    // desktop's icons and windows go, the picture stays); Show then puts
    // back only what Hide took.
    void KeepWallpaper(bool keep) { keepWallpaper_ = keep; }

private:
    void Perform(TAction action);
    void Do(TAction action);
    void DoHide();
    void DoShow();
    void DoShellRestarted();

    TWinControl* window_;
    TTrayState& tray_;
    TCaptionColours& colours_;
    std::deque<TAction> waiting_;
    std::optional<TAction> underWay_;
    bool ready_ = false;
    void TakeBackgroundAway();
    void ClearWallpaperForTheLogon();

    // The program hid the desktop's windows, or found them hidden at start-up.
    bool windowsTakenAway_ = false;
    bool keepWallpaper_ = false;
    // What Hide took of the background: nothing (icons only), the background
    // of every monitor, or the wallpaper and pattern of the running logon.
    enum class TBackgroundTaken { Nothing, EveryMonitor, ForTheLogon };
    TBackgroundTaken backgroundTaken_ = TBackgroundTaken::Nothing;
    TDesktopBackground background_;
    // The thread whose apartment holds the background's object.
    DWORD thread_ = GetCurrentThreadId();
};
