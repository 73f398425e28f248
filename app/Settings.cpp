#include "Settings.h"

#include <cstring>

#include "CommandLine.h"
#include "core/AsciiCase.h"
#include "core/Exception.h"
#include "core/Utf.h"
#include "win/Registry.h"

namespace {

constexpr char kHotKeyOff[] = "off";

// REG_SZ data up to its first zero character.
std::string StoredText(const std::vector<BYTE>& data) {
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    text.resize(std::min(text.size(), text.find(L'\0')));
    return Narrow(text);
}

struct TStoredDword {
    bool present = false;
    std::optional<DWORD> value;  // none when the value is not a DWORD
};

// A DWORD value as stored, without raising: the readers of Brivane's own
// settings and of the taskbar's mode decide what bad data means.
TStoredDword ReadStoredDword(const char* key, const char* name) {
    return WithUserKey(key, TKeyOpening::OpenExisting, [name](const TRegistry& registry) {
        TStoredDword stored;
        DWORD type = 0;
        std::vector<BYTE> data;
        stored.present = registry.ReadStored(name, type, data);
        DWORD value = 0;
        if (stored.present && type == REG_DWORD && data.size() == sizeof value) {
            std::memcpy(&value, data.data(), sizeof value);
            stored.value = value;
        }
        return stored;
    });
}

std::string NotUsable(const char* name, const std::string& what) {
    return std::string("The value \"") + name + "\" under HKEY_CURRENT_USER\\Software\\Brivane is not " +
           what;
}

}  // namespace

THotKeySetting ReadHotKeySetting() {
    THotKeySetting setting;
    WithUserKey(kBrivaneKey, TKeyOpening::OpenExisting, [&setting](const TRegistry& settings) {
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!settings.ReadStored(kHotKeyValue, type, data)) return;
        const std::string text = type == REG_SZ ? StoredText(data) : std::string();
        if (type == REG_SZ && SameTextAscii(text, kHotKeyOff)) {
            setting.hotKey.reset();
        } else if (const std::optional<THotKey> hotKey = type == REG_SZ ? ParseHotKey(text) : std::nullopt) {
            setting.hotKey = *hotKey;
        } else {
            setting.problem =
                NotUsable(kHotKeyValue, "a hot key; " + HotKeyText(kDefaultHotKey) + " is used");
        }
    });
    return setting;
}

void WriteHotKeySetting(std::optional<THotKey> hotKey) {
    WithUserKey(kBrivaneKey, TKeyOpening::CreateIfMissing, [&hotKey](TRegistry& settings) {
        settings.WriteString(kHotKeyValue, HotKeySettingText(hotKey));
    });
}

std::string HotKeySettingText(std::optional<THotKey> hotKey) {
    return hotKey ? HotKeyText(*hotKey) : kHotKeyOff;
}

TAutoHideSetting ReadAutoHideSetting() {
    TAutoHideSetting setting;
    const TStoredDword stored = ReadStoredDword(kBrivaneKey, kAutoHideValue);
    if (!stored.present) return setting;
    // Anything but a DWORD is no number of seconds: it reads as 1, out of range.
    const uint32_t value = stored.value.value_or(1);
    setting.seconds = AutoHideSecondsFromStored(value);
    if (setting.seconds == 0 && value != 0)
        setting.problem =
            NotUsable(kAutoHideValue, "a number of seconds from 5 to 86400; hiding when idle is off");
    return setting;
}

void WriteAutoHideSetting(uint32_t seconds) {
    WithUserKey(kBrivaneKey, TKeyOpening::CreateIfMissing, [seconds](TRegistry& settings) {
        settings.WriteInteger(kAutoHideValue, static_cast<int>(seconds));
    });
}

TSwitchSetting ReadSwitchSetting(const char* name) {
    TSwitchSetting setting;
    const TStoredDword stored = ReadStoredDword(kBrivaneKey, name);
    if (!stored.present) return setting;
    setting.on = stored.value == 1u;
    if (stored.value != 1u && stored.value != 0u)
        setting.problem = NotUsable(name, "a DWORD 0 or 1; it is off");
    return setting;
}

void WriteSwitchSetting(const char* name, bool on) {
    WithUserKey(kBrivaneKey, TKeyOpening::CreateIfMissing,
                [name, on](TRegistry& settings) { settings.WriteInteger(name, on ? 1 : 0); });
}

TStoredSetting ReadStoredSetting(const char* name) {
    TStoredSetting stored;
    WithUserKey(kBrivaneKey, TKeyOpening::OpenExisting, [&](const TRegistry& settings) {
        stored.present = settings.ReadStored(name, stored.type, stored.data);
    });
    return stored;
}

void RestoreStoredSetting(const char* name, const TStoredSetting& stored) {
    WithUserKey(kBrivaneKey, TKeyOpening::CreateIfMissing, [&](TRegistry& settings) {
        if (stored.present) {
            settings.WriteStored(name, stored.type, stored.data);
        } else {
            settings.DeleteValue(name);
        }
    });
}

bool RecordBackgroundOff() {
    return WithUserKey(kBrivaneKey, TKeyOpening::CreateIfMissing, [](TRegistry& settings) {
        settings.WriteInteger(kBackgroundOffValue, 1);
        return true;
    });
}

void ForgetBackgroundOff() {
    WithUserKey(kBrivaneKey, TKeyOpening::OpenExisting, [](TRegistry& settings) {
        if (settings.CurrentKey()) settings.DeleteValue(kBackgroundOffValue);
    });
}

bool BackgroundOffRecorded() {
    const TStoredDword stored = ReadStoredDword(kBrivaneKey, kBackgroundOffValue);
    if (stored.present && stored.value != 1u)
        ReportToDebugger(NotUsable(kBackgroundOffValue, "a DWORD 1; left as it is"));
    return stored.value == 1u;
}

void WriteAutostart(bool on, const std::string& programPath) {
    WithUserKey(kRunKey, TKeyOpening::CreateIfMissing, [&](TRegistry& run) {
        if (on) {
            run.WriteString(kRunValue, "\"" + programPath + "\"");
        } else {
            run.DeleteValue(kRunValue);
        }
    });
}

bool ReadAutostart() {
    return WithUserKey(kRunKey, TKeyOpening::OpenExisting,
                       [](const TRegistry& run) { return run.ValueExists(kRunValue); });
}

std::optional<COLORREF> ReadCaptionColour() {
    return WithUserKey(kDesktopKey, TKeyOpening::CreateIfMissing, [](const TRegistry& desktop) {
        if (!desktop.ValueExists(kCaptionColourValue)) return std::optional<COLORREF>();
        return std::optional<COLORREF>(static_cast<COLORREF>(desktop.ReadInteger(kCaptionColourValue)));
    });
}

void WriteCaptionColour(COLORREF colour) {
    WithUserKey(kDesktopKey, TKeyOpening::CreateIfMissing, [colour](TRegistry& desktop) {
        desktop.WriteInteger(kCaptionColourValue, static_cast<int>(colour));
    });
}

void ForgetCaptionColour() {
    WithUserKey(kDesktopKey, TKeyOpening::CreateIfMissing,
                [](TRegistry& desktop) { desktop.DeleteValue(kCaptionColourValue); });
}

std::optional<bool> ReadTransparentCaptions() {
    return WithUserKey(kDesktopKey, TKeyOpening::CreateIfMissing, [](const TRegistry& desktop) {
        if (!desktop.ValueExists(kTransparentCaptionsValue)) return std::optional<bool>();
        return std::optional<bool>(desktop.ReadBool(kTransparentCaptionsValue));
    });
}

void WriteTransparentCaptions(bool transparent) {
    WithUserKey(kDesktopKey, TKeyOpening::OpenExisting, [transparent](TRegistry& desktop) {
        desktop.WriteBool(kTransparentCaptionsValue, transparent);
    });
}

TWallpaperAndPattern ReadWallpaperAndPattern() {
    return WithUserKey(kDesktopKey, TKeyOpening::OpenExisting, [](const TRegistry& desktop) {
        return TWallpaperAndPattern{desktop.ReadString(kWallpaperValue), desktop.ReadString(kPatternValue)};
    });
}

bool ReadWallpaperOrPatternAfterFault(bool pattern, wchar_t (&value)[MAX_PATH]) {
    // The names are ASCII: widened on the stack.
    wchar_t key[sizeof kDesktopKey] = {}, name[sizeof kWallpaperValue + sizeof kPatternValue] = {};
    const char* narrowName = pattern ? kPatternValue : kWallpaperValue;
    for (size_t i = 0; kDesktopKey[i]; ++i) key[i] = static_cast<wchar_t>(kDesktopKey[i]);
    for (size_t i = 0; narrowName[i]; ++i) name[i] = static_cast<wchar_t>(narrowName[i]);
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                        nullptr, value, &size) == ERROR_SUCCESS;
}

bool ReadLightTaskbar() {
    return ReadStoredDword(kPersonalizeKey, kLightTaskbarValue).value.value_or(0) != 0;
}
