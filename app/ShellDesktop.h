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
// the window that holds the icons.
void ShowDesktopWindows(bool show);
// Whether the shell shows a desktop window now.
bool ShellShowsDesktop();

// Sets the pattern (SPI_SETDESKPATTERN) or the wallpaper (SPI_SETDESKWALLPAPER)
// for the running logon only: nothing is stored and nothing broadcast.
extern TSeam<void(UINT action, const std::string& value)> DesktopParameterSeam;

// The hiding sequence: the desktop windows go, then the pattern and the
// wallpaper are cleared for the running logon.
void ClearShellDesktop();
