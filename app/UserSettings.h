// Brivane's own settings, per user, under HKEY_CURRENT_USER\Software\Brivane:
// "HotKey", a string ("Ctrl+F12", "off"; absent: Ctrl+F12), and "AutoHide",
// a DWORD of seconds (absent or 0: off). The running copy reads them; a copy
// started with /hotkey or /autohide writes them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "HotKeyText.h"

inline constexpr char kSettingsKey[] = "Software\\Brivane";
inline constexpr char kHotKeyValue[] = "HotKey";
inline constexpr char kAutoHideValue[] = "AutoHide";

// The hot key the settings name (none: off). A value that names no key, or is
// no string, is left as it is and Ctrl+F12 is used; `problem` then says so.
struct THotKeySetting {
    std::optional<THotKey> hotKey = kDefaultHotKey;
    std::string problem;
};
THotKeySetting ReadHotKeySetting();
// Stores the hot key's written form, or "off" for none.
void WriteHotKeySetting(std::optional<THotKey> hotKey);
// How the hot key setting reads for the user: "Ctrl+F12" or "off".
std::string HotKeySettingText(std::optional<THotKey> hotKey);

// Seconds without input before the desktop hides (0: off). A value out of
// range or of another type is left as it is and reads as off; `problem` then
// says so.
struct TAutoHideSetting {
    uint32_t seconds = 0;
    std::string problem;
};
TAutoHideSetting ReadAutoHideSetting();
void WriteAutoHideSetting(uint32_t seconds);

// A value exactly as stored, to put back when a change is refused.
struct TStoredSetting {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};
TStoredSetting ReadStoredSetting(const char* name);
// Writes the value back, or deletes it when it was not there.
void RestoreStoredSetting(const char* name, const TStoredSetting& stored);
