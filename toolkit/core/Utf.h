// UTF-8 inside the program, UTF-16 at the Win32 edge. These conversions are
// portable (no Win32) so that parsers built for the host can use them too.
#pragma once

#include <string>
#include <string_view>

// Converts UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Converts UTF-8 to UTF-16. Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Cuts UTF-8 text to at most maxUnits UTF-16 code units without splitting a
// character (a surrogate pair or a multi-byte UTF-8 sequence).
std::string TruncateUtf16Units(std::string_view text, size_t maxUnits);

#ifdef _WIN32
// wchar_t is 16 bits on Windows: the wide Win32 functions take these.
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);
#endif
