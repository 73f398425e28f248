// The input is read three times: as a remote command message (the first 8
// bytes a little-endian tag, the rest the body), as command-line arguments
// separated by NUL bytes and as a hot key. Whatever is accepted must be what
// it claims to be, and a hot key must read back from its written form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 8) {
        uint64_t tag = 0;
        for (size_t i = 0; i < 8; ++i) tag |= static_cast<uint64_t>(data[i]) << (8 * i);
        if (const auto command = DecodeRemoteCommand(tag, data + 8, size - 8)) {
            if (!IsRemoteCommand(*command)) std::abort();
            const auto again = EncodeRemoteCommand(*command);
            for (size_t i = 0; i < again.size(); ++i) {
                if (again[i] != data[8 + i]) std::abort();
            }
        }
    }
    std::vector<std::string> arguments;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (size > 0) arguments.push_back(current);
    if (const auto request = ParseCommandRequest(arguments)) {
        const TCommand command = request->command;
        const size_t expected = command == TCommand::None                                               ? 0
                                : command == TCommand::AutostartOn || command == TCommand::AutostartOff ? 2
                                : request->change == TSettingChange::Print                              ? 1
                                                                                                        : 2;
        if (arguments.size() != expected || ParseCommandLine(arguments) != command) std::abort();
        if (command == TCommand::AutoHide && request->change == TSettingChange::Set &&
            AutoHideSecondsFromStored(request->autoHideSeconds) != request->autoHideSeconds) {
            std::abort();
        }
    }
    if (const auto hotKey = ParseHotKey(std::string_view(reinterpret_cast<const char*>(data), size))) {
        if (ParseHotKey(HotKeyText(*hotKey)) != hotKey) std::abort();
    }
    return 0;
}
