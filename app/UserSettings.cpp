#include "UserSettings.h"

#include <algorithm>
#include <cstring>

#include "CommandLine.h"
#include "core/Exception.h"
#include "core/Utf.h"
#include "win/Registry.h"

namespace {

constexpr char kHotKeyOff[] = "off";

bool IsOff(const std::string& text) {
    if (text.size() != 3) return false;
    for (size_t i = 0; i < 3; ++i) {
        if ((text[i] | 0x20) != kHotKeyOff[i]) return false;
    }
    return true;
}

// REG_SZ data up to its first zero character.
std::string StoredText(const std::vector<BYTE>& data) {
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    text.resize(std::min(text.size(), text.find(L'\0')));
    return Narrow(text);
}

}  // namespace

THotKeySetting ReadHotKeySetting() {
    THotKeySetting setting;
    WithUserKey(kSettingsKey, TKeyOpening::OpenExisting, [&setting](const TRegistry& settings) {
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!settings.ReadStored(kHotKeyValue, type, data)) return;
        const std::string text = type == REG_SZ ? StoredText(data) : std::string();
        if (type == REG_SZ && IsOff(text)) {
            setting.hotKey.reset();
        } else if (const std::optional<THotKey> hotKey = type == REG_SZ ? ParseHotKey(text) : std::nullopt) {
            setting.hotKey = *hotKey;
        } else {
            setting.problem =
                "The value \"HotKey\" under HKEY_CURRENT_USER\\Software\\Brivane is not a hot key; " +
                HotKeyText(kDefaultHotKey) + " is used";
        }
    });
    return setting;
}

void WriteHotKeySetting(std::optional<THotKey> hotKey) {
    WithUserKey(kSettingsKey, TKeyOpening::CreateIfMissing, [&hotKey](TRegistry& settings) {
        settings.WriteString(kHotKeyValue, HotKeySettingText(hotKey));
    });
}

std::string HotKeySettingText(std::optional<THotKey> hotKey) {
    return hotKey ? HotKeyText(*hotKey) : kHotKeyOff;
}

TAutoHideSetting ReadAutoHideSetting() {
    TAutoHideSetting setting;
    WithUserKey(kSettingsKey, TKeyOpening::OpenExisting, [&setting](const TRegistry& settings) {
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!settings.ReadStored(kAutoHideValue, type, data)) return;
        // Anything but a DWORD is no number of seconds: it reads as 1, out of range.
        uint32_t stored = 1;
        if (type == REG_DWORD && data.size() == sizeof stored)
            std::memcpy(&stored, data.data(), sizeof stored);
        setting.seconds = AutoHideSecondsFromStored(stored);
        if (setting.seconds == 0 && stored != 0)
            setting.problem =
                "The value \"AutoHide\" under HKEY_CURRENT_USER\\Software\\Brivane is not a number of "
                "seconds from 5 to 86400; hiding when idle is off";
    });
    return setting;
}

void WriteAutoHideSetting(uint32_t seconds) {
    WithUserKey(kSettingsKey, TKeyOpening::CreateIfMissing, [seconds](TRegistry& settings) {
        settings.WriteInteger(kAutoHideValue, static_cast<int>(seconds));
    });
}

TStoredSetting ReadStoredSetting(const char* name) {
    TStoredSetting stored;
    WithUserKey(kSettingsKey, TKeyOpening::OpenExisting, [&](const TRegistry& settings) {
        stored.present = settings.ReadStored(name, stored.type, stored.data);
    });
    return stored;
}

void RestoreStoredSetting(const char* name, const TStoredSetting& stored) {
    WithUserKey(kSettingsKey, TKeyOpening::CreateIfMissing, [&](TRegistry& settings) {
        if (stored.present) {
            settings.WriteStored(name, stored.type, stored.data);
        } else {
            settings.DeleteValue(name);
        }
    });
}
