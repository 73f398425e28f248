// The shell's desktop windows: finding them (Progman, the window that holds
// the icons, the icons' list view) and hiding or showing them, and the
// wallpaper and pattern of the running logon.
#pragma once

#include <windows.h>

#include <string>

#include "core/Seam.h"

// The shell's desktop window, "Progman"; none when the shell has none.
HWND ShellDesktopWindow();

// The top-level window that holds the desktop icons' "SHELLDLL_DefView":
// Progman, or a top-level "WorkerW" on the layouts that move the icons there.
HWND DesktopIconHost();

// The list view that holds the desktop icons; none when not found.
HWND FindDesktopListView();

// Hides or shows the shell's desktop window and, where it is another one,
// the window that holds the icons. The shell's thread does it when it next
// reads its messages: a shell that hangs does not hang the caller, and
// showing activates nothing, so the window the user works in keeps the
// keyboard.
void ShowDesktopWindows(bool show);
// Whether the shell shows a desktop window now.
bool ShellShowsDesktop();

// Sets the pattern (SPI_SETDESKPATTERN) or the wallpaper (SPI_SETDESKWALLPAPER)
// for the running logon only: nothing is stored and nothing broadcast.
extern TSeam<void(UINT action, const std::string& value)> DesktopParameterSeam;

// The stored "Pattern" and, unless `patternOnly`, "Wallpaper" put in force for
// the logon again, from the filter of a fault: nothing converted, nothing
// allocated.
void PutStoredWallpaperBackAfterFault(bool patternOnly);
