#include "HotKeyText.h"

#include "core/AsciiCase.h"

#include <array>

namespace {

struct TNamedKey {
    std::string_view name;
    uint32_t key;
};

// Keys with a name of their own; letters, digits, F1-F24 and the number pad's
// digits are read by rule. The first name of a key is the one written.
constexpr std::array<TNamedKey, 22> kNamedKeys{
    {{"Space", 0x20},    {"Enter", 0x0D},     {"Return", 0x0D}, {"Tab", 0x09},    {"Esc", 0x1B},
     {"Escape", 0x1B},   {"Backspace", 0x08}, {"Insert", 0x2D}, {"Ins", 0x2D},    {"Delete", 0x2E},
     {"Del", 0x2E},      {"Home", 0x24},      {"End", 0x23},    {"PageUp", 0x21}, {"PgUp", 0x21},
     {"PageDown", 0x22}, {"PgDn", 0x22},      {"Left", 0x25},   {"Up", 0x26},     {"Right", 0x27},
     {"Down", 0x28},     {"Pause", 0x13}}};

constexpr uint32_t kF1 = 0x70, kF12 = 0x7B, kF24 = 0x87, kNumPad0 = 0x60, kPause = 0x13;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// 1 to `limit` written in decimal without a sign or leading zero; 0 otherwise.
uint32_t SmallNumber(std::string_view digits, uint32_t limit) {
    if (digits.empty() || digits[0] == '0') return 0;
    const std::optional<uint32_t> value = DecimalNumber(digits, 2);
    return value && *value <= limit ? *value : 0;
}

std::optional<uint32_t> KeyNamed(std::string_view name) {
    if (name.size() == 1) {
        const char c = AsciiLower(name[0]);
        if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a' + 'A');
        if (c >= '0' && c <= '9') return static_cast<uint32_t>(c);
        return std::nullopt;
    }
    if (AsciiLower(name[0]) == 'f') {
        if (const uint32_t n = SmallNumber(name.substr(1), 24)) return kF1 + n - 1;
    }
    if (name.size() == 7 && SameTextAscii(name.substr(0, 6), "NumPad") && name[6] >= '0' && name[6] <= '9')
        return kNumPad0 + static_cast<uint32_t>(name[6] - '0');
    for (const TNamedKey& named : kNamedKeys) {
        if (SameTextAscii(name, named.name)) return named.key;
    }
    return std::nullopt;
}

std::optional<uint32_t> ModifierNamed(std::string_view name) {
    if (SameTextAscii(name, "Ctrl") || SameTextAscii(name, "Control")) return kHotKeyControl;
    if (SameTextAscii(name, "Alt")) return kHotKeyAlt;
    if (SameTextAscii(name, "Shift")) return kHotKeyShift;
    if (SameTextAscii(name, "Win") || SameTextAscii(name, "Windows")) return kHotKeyWin;
    return std::nullopt;
}

bool TypesText(uint32_t key) { return !(key >= kF1 && key <= kF24) && key != kPause; }

}  // namespace

std::optional<THotKey> ParseHotKey(std::string_view text) {
    THotKey hotKey;
    bool haveKey = false;
    for (;;) {
        const size_t plus = text.find('+');
        const std::string_view part = Trimmed(text.substr(0, plus));
        if (part.empty()) return std::nullopt;
        if (const std::optional<uint32_t> modifier = ModifierNamed(part)) {
            if (hotKey.modifiers & *modifier) return std::nullopt;
            hotKey.modifiers |= *modifier;
        } else if (const std::optional<uint32_t> key = KeyNamed(part); key && !haveKey) {
            hotKey.key = *key;
            haveKey = true;
        } else {
            return std::nullopt;
        }
        if (plus == std::string_view::npos) break;
        text.remove_prefix(plus + 1);
    }
    if (!haveKey) return std::nullopt;
    if (TypesText(hotKey.key) && !(hotKey.modifiers & (kHotKeyControl | kHotKeyAlt | kHotKeyWin)))
        return std::nullopt;
    return hotKey;
}

std::string HotKeyText(THotKey hotKey) {
    std::string text;
    if (hotKey.modifiers & kHotKeyWin) text += "Win+";
    if (hotKey.modifiers & kHotKeyControl) text += "Ctrl+";
    if (hotKey.modifiers & kHotKeyAlt) text += "Alt+";
    if (hotKey.modifiers & kHotKeyShift) text += "Shift+";
    const uint32_t key = hotKey.key;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        text += static_cast<char>(key);
    } else if (key >= kF1 && key <= kF24) {
        text += "F" + std::to_string(key - kF1 + 1);
    } else if (key >= kNumPad0 && key <= kNumPad0 + 9) {
        text += "NumPad" + std::to_string(key - kNumPad0);
    } else {
        for (const TNamedKey& named : kNamedKeys) {
            if (named.key == key) {
                text += named.name;
                return text;
            }
        }
        text += "#" + std::to_string(key);  // a code this program never parses into a hot key
    }
    return text;
}

bool ReservedByWindows(THotKey hotKey) {
    return (hotKey.modifiers & kHotKeyWin) != 0 || (hotKey.modifiers == 0 && hotKey.key == kF12);
}
