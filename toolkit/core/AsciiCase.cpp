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
