// Every value Brivane reads or writes in the registry, all under
// HKEY_CURRENT_USER: each name is defined here once, with its default, and
// read and written only through the functions below.
//
// The rule for bad data, one for all of them:
// - a missing value (or key) reads as the value's default;
// - Brivane's own settings under "Software\Brivane" ("HotKey", "AutoHide",
//   "KeepWallpaper", "DoubleClick"):
//   a value of the wrong type or out of range reads as the default, is left
//   as stored, and the reader gets a line saying what was wrong (`problem`);
// - the desktop's values (the caption colours, the wallpaper and the
//   pattern): a value of the wrong type raises the
//   registry's own error ("Invalid data type for '<name>'", or "Failed to get
//   data for '<name>'" for data too long), which the error box shows: a value
//   the shell or the user keeps is never taken for something it is not.
// Nothing read is ever rewritten except by the user's own command: the
// settings window shows the default for a bad value, and stores what it
// shows only when the user applies.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "HotKeyText.h"

// Brivane's own settings.
inline constexpr char kBrivaneKey[] = "Software\\Brivane";
inline constexpr char kHotKeyValue[] = "HotKey";      // REG_SZ: "Ctrl+F12", "off"
inline constexpr char kAutoHideValue[] = "AutoHide";  // REG_DWORD: seconds, 0 off
// REG_DWORD 1: Hide keeps the wallpaper and pattern (icons only); 0: off.
inline constexpr char kKeepWallpaperValue[] = "KeepWallpaper";
// REG_DWORD 1: a double-click on empty desktop space hides and shows; 0: off.
inline constexpr char kDoubleClickValue[] = "DoubleClick";
// REG_DWORD 1 while Brivane has the desktop background turned off on every
// monitor (DesktopBackground.h); only that value counts as a record.
inline constexpr char kBackgroundOffValue[] = "BackgroundOff";

// The desktop's settings, which Brivane shares with the shell.
inline constexpr char kDesktopKey[] = "Control Panel\\Desktop";
// The caption colour, a COLORREF (REG_DWORD). The name is older than
// Brivane and stays as it is, so that a colour chosen with an earlier
// version is still found.
inline constexpr char kCaptionColourValue[] = "TessikIconColour";
inline constexpr char kTransparentCaptionsValue[] = "TransparentIcon";  // REG_DWORD, 0 or not
inline constexpr char kWallpaperValue[] = "Wallpaper";
inline constexpr char kPatternValue[] = "Pattern";

// The per-user sign-in start: the value "Brivane" names the program.
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValue[] = "Brivane";

// The taskbar's colour mode.
inline constexpr char kPersonalizeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
inline constexpr char kLightTaskbarValue[] = "SystemUsesLightTheme";  // REG_DWORD, absent: dark

// --- Brivane's own ---------------------------------------------------------------

struct THotKeySetting {
    std::optional<THotKey> hotKey = kDefaultHotKey;  // none: off
    std::string problem;
};
THotKeySetting ReadHotKeySetting();
void WriteHotKeySetting(std::optional<THotKey> hotKey);
// How the hot key setting reads for the user: "Ctrl+F12" or "off".
std::string HotKeySettingText(std::optional<THotKey> hotKey);

struct TAutoHideSetting {
    uint32_t seconds = 0;  // 0: off
    std::string problem;
};
TAutoHideSetting ReadAutoHideSetting();
void WriteAutoHideSetting(uint32_t seconds);

// "KeepWallpaper" and "DoubleClick": on or off, off by default; anything but
// a DWORD 0 or 1 reads as off.
struct TSwitchSetting {
    bool on = false;
    std::string problem;
};
TSwitchSetting ReadSwitchSetting(const char* name);
void WriteSwitchSetting(const char* name, bool on);

// One of Brivane's own values exactly as stored, to put back when a change is
// refused.
struct TStoredSetting {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};
TStoredSetting ReadStoredSetting(const char* name);
// Writes the value back, or deletes it when it was not there.
void RestoreStoredSetting(const char* name, const TStoredSetting& stored);

// The background-off record: false when it could not be written.
bool RecordBackgroundOff();
void ForgetBackgroundOff();
// A record of another type or value is no record, and is left as it is.
bool BackgroundOffRecorded();

// Writes the Run value naming `programPath` (quoted), or removes it.
void WriteAutostart(bool on, const std::string& programPath);
// Whether the Run value is there, whatever program it names.
bool ReadAutostart();

// --- the desktop's ----------------------------------------------------------------

// None when no colour is stored. Makes "Control Panel\Desktop" when missing,
// as every reading of the caption settings does.
std::optional<COLORREF> ReadCaptionColour();
void WriteCaptionColour(COLORREF colour);
// A missing value is no error.
void ForgetCaptionColour();
// None when the value is missing.
std::optional<bool> ReadTransparentCaptions();
// Into an existing key only.
void WriteTransparentCaptions(bool transparent);

struct TWallpaperAndPattern {
    std::string wallpaper, pattern;
};
TWallpaperAndPattern ReadWallpaperAndPattern();
// The same value for the filter of a fault: read into `value` without
// allocating; false when it is missing, too long or not a string.
bool ReadWallpaperOrPatternAfterFault(bool pattern, wchar_t (&value)[MAX_PATH]);

// Whether the taskbar is light; dark when the value is missing or no DWORD.
bool ReadLightTaskbar();
