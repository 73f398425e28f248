// Case-insensitive comparison of names with only the ASCII letters folded,
// as the shell's special-folder names, version-resource keys and URL schemes
// are compared. Every other byte, UTF-8 sequences included, must match
// exactly, so the result never depends on the locale.
#pragma once

#include <string_view>

// 'A'..'Z' become 'a'..'z'; every other byte is unchanged.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when the two texts are equal with the ASCII letters folded.
bool SameTextAscii(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, with the ASCII letters folded.
bool StartsWithTextAscii(std::string_view text, std::string_view prefix);
