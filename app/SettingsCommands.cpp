// /hotkey, /autohide, /keepwallpaper and /doubleclick, in the copy started
// with them: the setting is
// printed, or stored and then taken by the running copy at once. A copy that
// runs registers a new hot key itself and answers whether it could; one that
// another program holds is refused and the stored value put back as it was.
// When no copy runs, the value is only stored (a hot key after checking that
// it is free), and nothing is started.
#include <string>

#include "CommandLine.h"
#include "RemoteCommand.h"
#include "Settings.h"
#include "core/Exception.h"
#include "core/Utf.h"
#include "win/Handles.h"

namespace {

// The identifier of the trial registration that sees whether a key is free;
// a thread's own hot keys take 0x0000 to 0xBFFF.
constexpr int kTrialHotKeyId = 0x4252;

// Whether no other program holds the key: registered for this thread and let
// go at once.
bool HotKeyIsFree(THotKey hotKey) {
    if (!RegisterHotKey(nullptr, kTrialHotKeyId, hotKey.modifiers, hotKey.key)) return false;
    UnregisterHotKey(nullptr, kTrialHotKeyId);
    return true;
}

struct TRunningCopy {
    bool running = false;
    std::optional<TSettingsReply> reply;  // none when it did not answer
};

TRunningCopy ReloadInRunningCopy() {
    TRunningCopy copy;
    const std::optional<int64_t> answer = AskRunningCopy(TCommand::ReloadSettings, copy.running);
    if (answer) copy.reply = DecodeSettingsReply(*answer);
    return copy;
}

int NoAnswer() {
    TellUser("Brivane is running but did not answer");
    return kExitFailure;
}

std::string HotKeyStatus(std::optional<THotKey> hotKey, const TRunningCopy& copy) {
    std::string text = HotKeySettingText(hotKey);
    if (!hotKey) return text;
    if (!copy.running) return text + " (Brivane is not running)";
    return text + (copy.reply && copy.reply->hotKeyRegistered ? " (registered)" : " (not registered)");
}

int RunHotKeyCommand(const TCommandRequest& request) {
    if (request.change == TSettingChange::Print) {
        const THotKeySetting setting = ReadHotKeySetting();
        if (!setting.problem.empty()) TellUser(setting.problem);
        const TRunningCopy copy = ReloadInRunningCopy();
        if (copy.running && !copy.reply) return NoAnswer();
        Print(HotKeyStatus(setting.hotKey, copy));
        return kExitOk;
    }
    const std::optional<THotKey> wanted =
        request.change == TSettingChange::Set ? std::optional<THotKey>(request.hotKey) : std::nullopt;
    const TStoredSetting previous = ReadStoredSetting(kHotKeyValue);
    WriteHotKeySetting(wanted);
    const TRunningCopy copy = ReloadInRunningCopy();
    if (copy.running && !copy.reply) {
        RestoreStoredSetting(kHotKeyValue, previous);
        return NoAnswer();
    }
    // With no copy running, the key is tried here.
    if (wanted && (copy.running ? !copy.reply->hotKeyRegistered : !HotKeyIsFree(*wanted))) {
        // A running copy has kept the key it had; it reads the old value again.
        RestoreStoredSetting(kHotKeyValue, previous);
        if (copy.running) ReloadInRunningCopy();
        TellUser("Brivane could not take the hot key " + HotKeyText(*wanted) +
                 ": another program holds it. The hot key stays " +
                 HotKeySettingText(ReadHotKeySetting().hotKey) + ".");
        return kExitKeyTaken;
    }
    // Accepted, as RegisterHotKey accepts it, but the user is told that the
    // shell may answer the key too.
    if (wanted && ReservedByWindows(*wanted))
        TellUser("Windows keeps " + HotKeyText(*wanted) + " for itself and may act on it too.");
    Print(HotKeyStatus(wanted, copy));
    return kExitOk;
}

std::string AutoHideStatus(uint32_t seconds) {
    return seconds ? "after " + std::to_string(seconds) + " seconds without input" : std::string("off");
}

int RunAutoHideCommand(const TCommandRequest& request) {
    if (request.change == TSettingChange::Print) {
        const TAutoHideSetting setting = ReadAutoHideSetting();
        if (!setting.problem.empty()) TellUser(setting.problem);
        Print(AutoHideStatus(setting.seconds));
        return kExitOk;
    }
    const uint32_t seconds = request.change == TSettingChange::Set ? request.autoHideSeconds : 0;
    WriteAutoHideSetting(seconds);
    const TRunningCopy copy = ReloadInRunningCopy();
    if (copy.running && !copy.reply) return NoAnswer();
    Print(AutoHideStatus(seconds));
    return kExitOk;
}

// /keepwallpaper and /doubleclick: "on" or "off".
int RunSwitchCommand(const TCommandRequest& request) {
    const char* name = request.command == TCommand::KeepWallpaper ? kKeepWallpaperValue : kDoubleClickValue;
    bool on = request.change == TSettingChange::Set;
    if (request.change == TSettingChange::Print) {
        const TSwitchSetting setting = ReadSwitchSetting(name);
        if (!setting.problem.empty()) TellUser(setting.problem);
        on = setting.on;
    } else {
        WriteSwitchSetting(name, on);
        const TRunningCopy copy = ReloadInRunningCopy();
        if (copy.running && !copy.reply) return NoAnswer();
    }
    Print(on ? "on" : "off");
    return kExitOk;
}

}  // namespace

int RunSettingCommand(const TCommandRequest& request) {
    if (request.command == TCommand::HotKey) return RunHotKeyCommand(request);
    if (request.command == TCommand::AutoHide) return RunAutoHideCommand(request);
    return RunSwitchCommand(request);
}
