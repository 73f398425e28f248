// The input is read twice: as a remote command message (the first 8 bytes a
// little-endian tag, the rest the body) and as command-line arguments
// separated by NUL bytes. Whatever is accepted must be what it claims to be.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
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
    if (const auto command = ParseCommandLine(arguments)) {
        const size_t expected = *command == TCommand::Run                                                 ? 0
                                : *command == TCommand::AutostartOn || *command == TCommand::AutostartOff ? 2
                                                                                                          : 1;
        if (arguments.size() != expected) std::abort();
    }
    return 0;
}
