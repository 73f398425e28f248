// The command line of brivane.exe and the message that carries a command to
// the running copy, kept free of Win32 so they are tested and fuzzed natively.
//
//   brivane.exe                       start (a second copy ends at once)
//   brivane.exe /hide|/show|/toggle   act in the running copy, starting one first
//   brivane.exe /exit                 end the running copy, desktop shown first
//   brivane.exe /status               exit code 0 shown, 1 hidden, 2 not running
//   brivane.exe /autostart on|off     write or remove the per-user Run value
//
// Switches are ASCII, case-insensitive, and begin with '/' or '-'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TCommand : uint8_t {
    Run = 0,  // no arguments: start as usual
    Hide = 1,
    Show = 2,
    Toggle = 3,
    Exit = 4,
    Status = 5,
    AutostartOn = 6,
    AutostartOff = 7,
};

// Exit codes of brivane.exe, one for each outcome.
constexpr int kExitOk = 0;            // done; for /status: the desktop is shown
constexpr int kExitStatusHidden = 1;  // /status: the desktop is hidden
constexpr int kExitNotRunning = 2;    // no copy runs (/status, /exit)
constexpr int kExitFailure = 3;       // the running copy did not answer, the registry refused
constexpr int kExitUsage = 64;        // as sysexits' EX_USAGE

extern const char kUsage[];

// Whether another copy runs, from what CreateMutexW answered for the
// single-instance mutex: it existed already (a handle, ERROR_ALREADY_EXISTS),
// or it exists but this process may not open it (no handle,
// ERROR_ACCESS_DENIED: a copy running elevated or as another user in this
// session).
bool AnotherCopyRuns(bool gotHandle, uint32_t lastError);

// The command that the arguments (without the program name, UTF-8) ask for;
// none for an unknown switch or extra arguments.
std::optional<TCommand> ParseCommandLine(const std::vector<std::string>& arguments);

// Whether the command is carried to the running copy (hide, show, toggle,
// exit, status), as opposed to done by the process itself.
bool IsRemoteCommand(TCommand command);

// The message body sent to the running copy: "BRVN", a little-endian 16-bit
// format version, the command and its bitwise complement.
constexpr uint32_t kRemoteCommandTag = 0x4E565242;  // "BRVN", also the message's own tag
constexpr uint16_t kRemoteCommandVersion = 1;
constexpr size_t kRemoteCommandSize = 8;
std::array<uint8_t, kRemoteCommandSize> EncodeRemoteCommand(TCommand command);

// The remote command in a message from another program, which is untrusted:
// none unless the tag, size, version, command and check byte are all right.
std::optional<TCommand> DecodeRemoteCommand(uint64_t tag, const uint8_t* data, size_t size);

// The running copy's answer to a remote command: the desktop state after it.
// Zero (what a window that ignores the message answers) decodes as none.
int64_t EncodeRemoteReply(bool hidden);
// The answer of a copy whose main window exists but that is still starting:
// the sender asks again.
constexpr int64_t kRemoteReplyStarting = 0x42520002;
std::optional<bool> DecodeRemoteReply(int64_t reply);
