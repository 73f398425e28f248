// The command line of brivane.exe and the message that carries a command to
// the running copy, kept free of Win32 so they are tested and fuzzed natively.
//
//   brivane.exe                       start (a second copy opens the running
//                                     copy's settings window and ends)
//   brivane.exe /settings             open the settings window, starting a copy
//   brivane.exe /hide|/show|/toggle   act in the running copy, starting one first
//   brivane.exe /exit                 end the running copy, desktop shown first
//   brivane.exe /status               exit code 0 shown, 1 hidden, 2 not running
//   brivane.exe /autostart on|off     write or remove the per-user Run value
//   brivane.exe /hotkey [<keys>|off]  print, set or turn off the hot key
//   brivane.exe /autohide [<s>|off]   print, set (5 to 86,400 seconds) or turn off
//                                     hiding the desktop when idle
//   brivane.exe /keepwallpaper [on|off]  print or set whether Hide keeps the
//                                     wallpaper (hides the icons only)
//   brivane.exe /doubleclick [on|off] print or set whether a double-click on
//                                     empty desktop space hides and shows
//
// Switches are ASCII, case-insensitive, and begin with '/' or '-'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HotKeyText.h"

enum class TCommand : uint8_t {
    None = 0,  // no command: start, or leave a copy that runs alone
    Hide = 1,
    Show = 2,
    Toggle = 3,
    Exit = 4,
    Status = 5,
    AutostartOn = 6,
    AutostartOff = 7,
    // Sent to the running copy after /hotkey or /autohide has stored a value:
    // it reads the settings again and answers whether its hot key holds.
    ReloadSettings = 8,
    HotKey = 9,          // /hotkey: print, set or turn off (TCommandRequest says which)
    AutoHide = 10,       // /autohide: likewise
    KeepWallpaper = 11,  // /keepwallpaper: print, on or off
    DoubleClick = 12,    // /doubleclick: likewise
    // /settings, and a second start without arguments: the running copy opens
    // its settings window.
    Settings = 13,
};

// What /hotkey, /autohide, /keepwallpaper or /doubleclick does with its
// setting (Set is "on" for the last two).
enum class TSettingChange : uint8_t { Print, Set, TurnOff };

// A command with the value it carries.
struct TCommandRequest {
    TCommand command = TCommand::None;
    TSettingChange change = TSettingChange::Print;
    THotKey hotKey{};              // /hotkey <keys>
    uint32_t autoHideSeconds = 0;  // /autohide <seconds>
};

// The range of /autohide and of the stored "AutoHide" value (0: off).
inline constexpr uint32_t kAutoHideMinSeconds = 5;
inline constexpr uint32_t kAutoHideMaxSeconds = 86400;
// The stored "AutoHide" value as seconds to wait: 0 (off) for a value out of
// range.
uint32_t AutoHideSecondsFromStored(uint32_t stored);

// Exit codes of brivane.exe, one for each outcome.
constexpr int kExitOk = 0;            // done; for /status: the desktop is shown
constexpr int kExitStatusHidden = 1;  // /status: the desktop is hidden
constexpr int kExitNotRunning = 2;    // no copy runs (/status, /exit)
constexpr int kExitFailure = 3;       // the running copy did not answer, the registry refused
constexpr int kExitKeyTaken = 4;      // /hotkey: another program holds the key; the previous one stays
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
// The same with the value of /hotkey or /autohide; none also for a key that
// can't be parsed or a number of seconds out of range.
std::optional<TCommandRequest> ParseCommandRequest(const std::vector<std::string>& arguments);

// Whether the command is carried to the running copy (hide, show, toggle,
// exit, status, reload settings, settings), as opposed to done by the process itself.
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
constexpr int64_t kRemoteReplyStarting = 0x42520004;
std::optional<bool> DecodeRemoteReply(int64_t reply);

// The answer to ReloadSettings: the desktop state and whether the hot key the
// settings name is registered (false also when the hot key is off).
struct TSettingsReply {
    bool hidden = false;
    bool hotKeyRegistered = false;
    bool operator==(const TSettingsReply&) const = default;
};
int64_t EncodeSettingsReply(TSettingsReply reply);
std::optional<TSettingsReply> DecodeSettingsReply(int64_t reply);
