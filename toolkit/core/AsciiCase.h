// Case-insensitive comparison of names with only the ASCII letters folded,
// as the shell's special-folder names, version-resource keys and URL schemes
// are compared. Every other byte, UTF-8 sequences included, must match
// exactly, so the result never depends on the locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// 'A'..'Z' become 'a'..'z'; every other byte is unchanged.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when the two texts are equal with the ASCII letters folded.
bool SameTextAscii(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, with the ASCII letters folded.
bool StartsWithTextAscii(std::string_view text, std::string_view prefix);
// The text with its ASCII letters folded to lower case.
std::string AsciiLowerText(std::string_view text);

// A number written in ASCII decimal digits alone, at most `maxDigits` of them
// (no sign, no space; leading zeros allowed); none otherwise.
std::optional<uint32_t> DecimalNumber(std::string_view text, size_t maxDigits = 9);
