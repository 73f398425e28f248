// Hot keys as the user writes them ("Ctrl+Alt+D", "Win+Shift+H", "Ctrl+F12")
// and as RegisterHotKey takes them (modifier flags and a virtual-key code),
// kept free of Win32 so they are tested and fuzzed natively.
//
// A hot key is modifiers and one key joined by '+', in any order and case,
// spaces around the parts ignored. The modifiers are Ctrl (or Control), Alt,
// Shift and Win (or Windows), each at most once. The keys are the letters
// A-Z, the digits 0-9, F1-F24, Space, Enter, Tab, Esc, Backspace, Insert,
// Delete, Home, End, PageUp, PageDown, Left, Up, Right, Down, Pause and
// NumPad0-NumPad9. A key that types (all but F1-F24 and Pause) needs Ctrl,
// Alt or Win with it, so that the hot key never takes a key away from typing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The modifier flags, with RegisterHotKey's values (MOD_ALT, MOD_CONTROL,
// MOD_SHIFT, MOD_WIN).
inline constexpr uint32_t kHotKeyAlt = 0x0001;
inline constexpr uint32_t kHotKeyControl = 0x0002;
inline constexpr uint32_t kHotKeyShift = 0x0004;
inline constexpr uint32_t kHotKeyWin = 0x0008;

struct THotKey {
    uint32_t modifiers = 0;
    uint32_t key = 0;  // virtual-key code
    bool operator==(const THotKey&) const = default;
};

// Ctrl+F12: the hot key when the user has chosen none.
inline constexpr THotKey kDefaultHotKey{kHotKeyControl, 0x7B};

// The hot key the text names; none when it names no key, a key twice, a
// modifier twice, or a typing key without Ctrl, Alt or Win.
std::optional<THotKey> ParseHotKey(std::string_view text);

// Whether Windows keeps the key for itself, so that it may act on it even
// while a program has registered it: every key with the Windows key
// ("reserved for use by the operating system"), and F12 alone (reserved for
// the debugger at all times).
bool ReservedByWindows(THotKey hotKey);

// The hot key in its one written form: "Win+Ctrl+Alt+Shift+<key>" with the
// modifiers it has, the key as listed above. ParseHotKey reads it back.
std::string HotKeyText(THotKey hotKey);
