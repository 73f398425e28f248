#include "CommandLine.h"

#include "core/AsciiCase.h"

const char kUsage[] =
    "usage: brivane.exe [/hide | /show | /toggle | /exit | /status | /autostart on|off | /hotkey "
    "[<keys>|off] |"
    " /autohide [<seconds>|off] | /keepwallpaper [on|off] | /doubleclick [on|off] | /settings]";

namespace {

// The switch's name without its '/' or '-'; empty when it is not a switch.
std::string SwitchName(const std::string& argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return {};
    return AsciiLowerText(argument.substr(1));
}

constexpr int64_t kReplyBase = 0x42520000;
constexpr int64_t kReplyHidden = 1;
constexpr int64_t kReplyHotKeyRegistered = 2;

// 5 to 86,400 written in decimal digits alone; 0 otherwise.
uint32_t AutoHideSecondsFromText(const std::string& text) {
    const std::optional<uint32_t> seconds = DecimalNumber(text, 6);
    return seconds ? AutoHideSecondsFromStored(*seconds) : 0;
}

// Every command but /hotkey and /autohide: a switch, and "on" or "off" after
// /autostart.
std::optional<TCommand> ParseSimpleCommand(const std::string& name,
                                           const std::vector<std::string>& arguments) {
    if (name == "autostart") {
        if (arguments.size() != 2) return std::nullopt;
        const std::string value = AsciiLowerText(arguments[1]);
        if (value == "on") return TCommand::AutostartOn;
        if (value == "off") return TCommand::AutostartOff;
        return std::nullopt;
    }
    if (arguments.size() != 1) return std::nullopt;
    if (name == "hide") return TCommand::Hide;
    if (name == "show") return TCommand::Show;
    if (name == "toggle") return TCommand::Toggle;
    if (name == "exit") return TCommand::Exit;
    if (name == "status") return TCommand::Status;
    if (name == "settings") return TCommand::Settings;
    return std::nullopt;
}

// /hotkey, /autohide, /keepwallpaper and /doubleclick: alone, "off", or the
// setting's value ("on" for the last two).
std::optional<TCommandRequest> ParseSettingCommand(TCommand command,
                                                   const std::vector<std::string>& arguments) {
    TCommandRequest request;
    request.command = command;
    if (arguments.size() == 1) return request;
    if (arguments.size() != 2) return std::nullopt;
    if (AsciiLowerText(arguments[1]) == "off") {
        request.change = TSettingChange::TurnOff;
        return request;
    }
    request.change = TSettingChange::Set;
    if (command == TCommand::KeepWallpaper || command == TCommand::DoubleClick) {
        if (AsciiLowerText(arguments[1]) != "on") return std::nullopt;
    } else if (command == TCommand::HotKey) {
        const std::optional<THotKey> hotKey = ParseHotKey(arguments[1]);
        if (!hotKey) return std::nullopt;
        request.hotKey = *hotKey;
    } else {
        request.autoHideSeconds = AutoHideSecondsFromText(arguments[1]);
        if (request.autoHideSeconds == 0) return std::nullopt;
    }
    return request;
}

}  // namespace

uint32_t AutoHideSecondsFromStored(uint32_t stored) {
    return stored >= kAutoHideMinSeconds && stored <= kAutoHideMaxSeconds ? stored : 0;
}

std::optional<TCommand> ParseCommandLine(const std::vector<std::string>& arguments) {
    const std::optional<TCommandRequest> request = ParseCommandRequest(arguments);
    if (!request) return std::nullopt;
    return request->command;
}

std::optional<TCommandRequest> ParseCommandRequest(const std::vector<std::string>& arguments) {
    TCommandRequest request;
    if (arguments.empty()) return request;
    const std::string name = SwitchName(arguments[0]);
    if (name == "hotkey") return ParseSettingCommand(TCommand::HotKey, arguments);
    if (name == "autohide") return ParseSettingCommand(TCommand::AutoHide, arguments);
    if (name == "keepwallpaper") return ParseSettingCommand(TCommand::KeepWallpaper, arguments);
    if (name == "doubleclick") return ParseSettingCommand(TCommand::DoubleClick, arguments);
    const std::optional<TCommand> command = ParseSimpleCommand(name, arguments);
    if (!command) return std::nullopt;
    request.command = *command;
    return request;
}

bool IsRemoteCommand(TCommand command) {
    switch (command) {
        case TCommand::Hide:
        case TCommand::Show:
        case TCommand::Toggle:
        case TCommand::Exit:
        case TCommand::Status:
        case TCommand::ReloadSettings:
        case TCommand::Settings:
            return true;
        case TCommand::None:
        case TCommand::AutostartOn:
        case TCommand::AutostartOff:
        case TCommand::HotKey:
        case TCommand::AutoHide:
        case TCommand::KeepWallpaper:
        case TCommand::DoubleClick:
            break;
    }
    return false;
}

std::array<uint8_t, kRemoteCommandSize> EncodeRemoteCommand(TCommand command) {
    const auto code = static_cast<uint8_t>(command);
    return {'B',
            'R',
            'V',
            'N',
            static_cast<uint8_t>(kRemoteCommandVersion & 0xFF),
            static_cast<uint8_t>(kRemoteCommandVersion >> 8),
            code,
            static_cast<uint8_t>(~code)};
}

std::optional<TCommand> DecodeRemoteCommand(uint64_t tag, const uint8_t* data, size_t size) {
    if (tag != kRemoteCommandTag || data == nullptr || size != kRemoteCommandSize) return std::nullopt;
    if (data[0] != 'B' || data[1] != 'R' || data[2] != 'V' || data[3] != 'N') return std::nullopt;
    const unsigned version = static_cast<unsigned>(data[4]) | (static_cast<unsigned>(data[5]) << 8);
    if (version != kRemoteCommandVersion) return std::nullopt;
    const uint8_t code = data[6];
    if (data[7] != static_cast<uint8_t>(~code)) return std::nullopt;
    const auto command = static_cast<TCommand>(code);
    if (code > static_cast<uint8_t>(TCommand::Settings) || !IsRemoteCommand(command)) return std::nullopt;
    return command;
}

bool AnotherCopyRuns(bool gotHandle, uint32_t lastError) {
    constexpr uint32_t kErrorAccessDenied = 5, kErrorAlreadyExists = 183;
    return gotHandle ? lastError == kErrorAlreadyExists : lastError == kErrorAccessDenied;
}

int64_t EncodeRemoteReply(bool hidden) { return kReplyBase | (hidden ? kReplyHidden : 0); }

std::optional<bool> DecodeRemoteReply(int64_t reply) {
    if (reply == kReplyBase) return false;
    if (reply == (kReplyBase | kReplyHidden)) return true;
    return std::nullopt;
}

int64_t EncodeSettingsReply(TSettingsReply reply) {
    return EncodeRemoteReply(reply.hidden) | (reply.hotKeyRegistered ? kReplyHotKeyRegistered : 0);
}

std::optional<TSettingsReply> DecodeSettingsReply(int64_t reply) {
    if ((reply & ~(kReplyHidden | kReplyHotKeyRegistered)) != kReplyBase) return std::nullopt;
    return TSettingsReply{(reply & kReplyHidden) != 0, (reply & kReplyHotKeyRegistered) != 0};
}
