#include "DesktopSwitch.h"

#include <utility>

#include "Settings.h"
#include "ShellDesktop.h"
#include "win/Application.h"

namespace {

// A fault in the program (in a shell extension that the menu's icons or an
// opened entry loaded, say) ends it with no chance to run its ways out: the
// filter gives the desktop back first, then lets the fault go on as before.
TDesktopSwitch* gDesktopShownAfterFault = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter = nullptr;

LONG WINAPI ShowDesktopAfterFault(EXCEPTION_POINTERS* fault) {
    // Once, also when giving back faults in turn.
    if (TDesktopSwitch* desktop = std::exchange(gDesktopShownAfterFault, nullptr)) desktop->ShowAfterFault();
    return gPreviousFilter ? gPreviousFilter(fault) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

TDesktopSwitch::TDesktopSwitch(TWinControl* window, TTrayState& tray, TCaptionColours& colours)
    : window_(window), tray_(tray), colours_(colours) {
    gDesktopShownAfterFault = this;
    gPreviousFilter = SetUnhandledExceptionFilter(&ShowDesktopAfterFault);
}

TDesktopSwitch::~TDesktopSwitch() {
    SetUnhandledExceptionFilter(gPreviousFilter);
    gDesktopShownAfterFault = nullptr;
}

void TDesktopSwitch::HideDesktop(TObject*) { Perform(TAction::Hide); }

void TDesktopSwitch::ShowDesktop(TObject*) { Perform(TAction::Show); }

void TDesktopSwitch::Toggle() { Perform(PredictedHidden() ? TAction::Show : TAction::Hide); }

void TDesktopSwitch::Exit() { Perform(TAction::Exit); }

void TDesktopSwitch::ShellRestarted() { Perform(TAction::ShellRestarted); }

bool TDesktopSwitch::PredictedHidden() const {
    bool hidden = Hidden();
    auto apply = [&hidden](TAction action) {
        if (action == TAction::Hide) hidden = true;
        if (action == TAction::Show || action == TAction::Exit) hidden = false;
    };
    if (underWay_) apply(*underWay_);
    for (TAction action : waiting_) apply(action);
    return hidden;
}

void TDesktopSwitch::TakeStartingState() {
    HWND desktop = ShellDesktopWindow();
    if (desktop && IsWindowVisible(desktop)) return;
    tray_.Enter(true);
    windowsTakenAway_ = desktop != nullptr;
}

void TDesktopSwitch::BecomeReady() {
    ready_ = true;
    if (!waiting_.empty()) PostMessageW(window_->Handle(), kRunWaitingActions, 0, 0);
}

void TDesktopSwitch::Ask(TAction action) {
    waiting_.push_back(action);
    PostMessageW(window_->Handle(), kRunWaitingActions, 0, 0);
}

void TDesktopSwitch::Perform(TAction action) {
    waiting_.push_back(action);
    RunWaitingActions();
}

void TDesktopSwitch::RunWaitingActions() {
    // Messages sent to this thread are handled while it waits for the shell
    // (a list-view message, Shell_NotifyIconW, ShowWindow on the shell's
    // windows): an action asked for then only joins the queue.
    if (underWay_ || !ready_) return;
    while (!waiting_.empty()) {
        underWay_ = waiting_.front();
        waiting_.pop_front();
        // An action that fails is reported, and the next one still runs.
        GuardBoundary([this] { Do(*underWay_); });
        underWay_.reset();
    }
}

void TDesktopSwitch::Do(TAction action) {
    switch (action) {
        case TAction::Hide:
            DoHide();
            break;
        case TAction::Show:
            DoShow();
            break;
        case TAction::ShellRestarted:
            DoShellRestarted();
            break;
        case TAction::Exit:
            // Never leave with the desktop gone; nothing after this runs.
            ShowBeforeLeaving();
            waiting_.clear();
            Application->Terminate();
            break;
    }
}

void TDesktopSwitch::ClearWallpaperForTheLogon() {
    DesktopParameterSeam(SPI_SETDESKPATTERN, "");
    DesktopParameterSeam(SPI_SETDESKWALLPAPER, "");
}

void TDesktopSwitch::TakeBackgroundAway() {
    if (keepWallpaper_ || backgroundTaken_ != TBackgroundTaken::Nothing) return;
    // Each monitor's own picture, fit and slideshow are turned off as a whole
    // where the system can; one wallpaper path set for the logon would replace
    // them all when it comes back. The pattern has no such setting.
    if (background_.TakeAway()) {
        DesktopParameterSeam(SPI_SETDESKPATTERN, "");
        backgroundTaken_ = TBackgroundTaken::EveryMonitor;
    } else {
        ClearWallpaperForTheLogon();
        backgroundTaken_ = TBackgroundTaken::ForTheLogon;
    }
}

void TDesktopSwitch::DoHide() {
    ShowDesktopWindows(false);
    windowsTakenAway_ = true;
    TakeBackgroundAway();
    tray_.Enter(true);
}

void TDesktopSwitch::DoShow() {
    // Icons only: what the user has in force stays. A desktop found hidden at
    // start-up gets the stored settings back as one that was hidden here.
    const bool restore = backgroundTaken_ != TBackgroundTaken::Nothing || !keepWallpaper_;
    const bool everyMonitor = backgroundTaken_ == TBackgroundTaken::EveryMonitor;
    backgroundTaken_ = TBackgroundTaken::Nothing;
    // The desktop comes back whatever else fails: a setting that can't be
    // read (a value of the wrong type) is reported once the desktop is back
    // and the tray says so, and the wallpaper or pattern it names stays
    // cleared for this logon.
    RunEveryStep({[&] {
                      if (!restore) return;
                      if (everyMonitor) {
                          background_.GiveBack();
                          TDesktopBackground::RepairLeftOver();
                      }
                      const TWallpaperAndPattern stored = ReadWallpaperAndPattern();
                      // The pattern before the wallpaper, as when hiding.
                      DesktopParameterSeam(SPI_SETDESKPATTERN, stored.pattern);
                      if (!everyMonitor) DesktopParameterSeam(SPI_SETDESKWALLPAPER, stored.wallpaper);
                  },
                  [this] {
                      ShowDesktopWindows(true);
                      windowsTakenAway_ = false;
                  },
                  [this] { colours_.Load(); }, [this] { tray_.Enter(false); }});
}

void TDesktopSwitch::ShowBeforeLeaving() {
    if (!Hidden()) return;
    RunReportingToDebugger("showing the desktop on the way out", [this] { DoShow(); });
}

void TDesktopSwitch::ShowAfterFault() {
    if (!windowsTakenAway_) return;
    // The background first, then the windows over it: once the desktop shows,
    // everything is back.
    // The background's object answers on its own thread only; from another
    // the next start turns the background on again (its record stays).
    if (backgroundTaken_ == TBackgroundTaken::EveryMonitor && GetCurrentThreadId() == thread_)
        background_.GiveBackAfterFault();
    if (backgroundTaken_ != TBackgroundTaken::Nothing)
        PutStoredWallpaperBackAfterFault(backgroundTaken_ == TBackgroundTaken::EveryMonitor);
    ShowDesktopWindows(true);
    // The shell shows its windows when it next reads its messages: a process
    // that ends at once may take such a message with it (Wine drops it), so
    // the end waits for the shell, two seconds at most.
    for (int waited = 0; waited < 2000 && !ShellShowsDesktop(); waited += 20) Sleep(20);
}

void TDesktopSwitch::DoShellRestarted() {
    // Explorer has made its desktop windows anew, shown and with its own
    // caption colours: the list view is another window now. A desktop that
    // was hidden is hidden again, so that the tray's state still holds. A
    // shell that builds its desktop only after the broadcast is met by the
    // heartbeat's next beats, which follow the desktop's windows and put the
    // colours on a list view they find new.
    colours_.FindListView();
    FollowShellDesktop();
    colours_.Load();
}

void TDesktopSwitch::FollowShellDesktop() {
    if (!Hidden() || !ShellShowsDesktop()) return;
    if (windowsTakenAway_) {
        ShowDesktopWindows(false);
        if (backgroundTaken_ == TBackgroundTaken::ForTheLogon) ClearWallpaperForTheLogon();
    } else {
        // The program started before the shell had a desktop (none counts
        // as hidden); now that there is one, the tray says it is shown,
        // without touching it.
        tray_.Enter(false);
    }
}

void TDesktopSwitch::WallpaperChanged() {
    if (windowsTakenAway_ && !underWay_ && backgroundTaken_ == TBackgroundTaken::ForTheLogon) {
        ShowDesktopWindows(false);
        ClearWallpaperForTheLogon();
    }
}
