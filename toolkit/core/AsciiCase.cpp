#include "core/AsciiCase.h"

bool StartsWithTextAscii(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
    }
    return true;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithTextAscii(a, b);
}

std::string AsciiLowerText(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

std::optional<uint32_t> DecimalNumber(std::string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits || maxDigits > 9) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value;
}
