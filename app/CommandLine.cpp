#include "CommandLine.h"

const char kUsage[] = "usage: brivane.exe [/hide | /show | /toggle | /exit | /status | /autostart on|off]";

namespace {

std::string AsciiLower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// The switch's name without its '/' or '-'; empty when it is not a switch.
std::string SwitchName(const std::string& argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return {};
    return AsciiLower(argument.substr(1));
}

constexpr int64_t kReplyBase = 0x42520000;

}  // namespace

std::optional<TCommand> ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return TCommand::Run;
    const std::string name = SwitchName(arguments[0]);
    if (name == "autostart") {
        if (arguments.size() != 2) return std::nullopt;
        const std::string value = AsciiLower(arguments[1]);
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
    return std::nullopt;
}

bool IsRemoteCommand(TCommand command) {
    switch (command) {
        case TCommand::Hide:
        case TCommand::Show:
        case TCommand::Toggle:
        case TCommand::Exit:
        case TCommand::Status:
            return true;
        case TCommand::Run:
        case TCommand::AutostartOn:
        case TCommand::AutostartOff:
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
    if (code > static_cast<uint8_t>(TCommand::AutostartOff) || !IsRemoteCommand(command)) return std::nullopt;
    return command;
}

bool AnotherCopyRuns(bool gotHandle, uint32_t lastError) {
    constexpr uint32_t kErrorAccessDenied = 5, kErrorAlreadyExists = 183;
    return gotHandle ? lastError == kErrorAlreadyExists : lastError == kErrorAccessDenied;
}

int64_t EncodeRemoteReply(bool hidden) { return kReplyBase | (hidden ? 1 : 0); }

std::optional<bool> DecodeRemoteReply(int64_t reply) {
    if (reply == kReplyBase) return false;
    if (reply == (kReplyBase | 1)) return true;
    return std::nullopt;
}
