// The desktop background on every monitor, through the shell's documented
// desktop-wallpaper object (IDesktopWallpaper, Windows 8 and later): turned
// off while the desktop is hidden and on again when it comes back, so each
// monitor shows again what it showed, its own picture and fit, the background
// colour, a slideshow still running, Spotlight still on (docs/windows.md,
// "The background on every monitor").
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "win/ComHandles.h"

// Turning the background off may outlive the logon, so it is recorded
// before ("BackgroundOff", Settings.h), and the record deleted once the
// background is on again; a start that finds it turns the background on
// (RepairLeftOver).
class TDesktopBackground {
public:
    TDesktopBackground() = default;
    TDesktopBackground(const TDesktopBackground&) = delete;
    TDesktopBackground& operator=(const TDesktopBackground&) = delete;
    // Gives back what is still taken away.
    ~TDesktopBackground();

    // Turns the background off on every monitor, after recording that it did.
    // True when the background is away (also when the user had it off
    // already: then nothing is recorded or given back later). False, with
    // nothing changed, when the system has no desktop-wallpaper object (as
    // Wine) or it refuses: the caller then clears the wallpaper for the logon
    // as before. Enters the application's COM apartment first.
    bool TakeAway();
    // Turns the background on again if TakeAway turned it off, then deletes
    // the record; a failure is reported and leaves the record for the next
    // start.
    void GiveBack();
    // The same from the filter of a fault: only the one COM call, on the
    // thread that called TakeAway (the object lives in its apartment); the
    // record is left for the next start.
    void GiveBackAfterFault();
    bool TakenAway() const { return static_cast<bool>(wallpaper_); }

    // For a new start, before anything hides: a record left by a copy that
    // ended with the background off (a crash, a kill, a lost logon) turns the
    // background on and is deleted. A record of another type or value is
    // left as it is, and nothing is done. Without a record nothing is loaded.
    // Also worth calling after GiveBack on the ordinary way back (not from
    // the crash filter): a record still there means the kept object failed
    // (an Explorer restarted while hidden), and a fresh one tries again.
    static void RepairLeftOver();

private:
    // Held from TakeAway to GiveBack, so that giving back needs nothing new.
    TComRef<IDesktopWallpaper> wallpaper_;
};
