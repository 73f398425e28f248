#include "Exception.h"

#ifdef _WIN32
#include <windows.h>

#include <iterator>

#include "Utf.h"
#endif

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char kind = pattern[i + 1];
            if (kind == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (kind == 's' || kind == 'd') {
                if (next != args.end()) out += *next++;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

#ifdef _WIN32
std::string SystemErrorText(unsigned long code) {
    wchar_t text[1024] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, text, static_cast<DWORD>(std::size(text)), nullptr);
    // The system's texts end in a line break.
    while (length > 0 &&
           (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) {
        --length;
    }
    return Narrow(std::wstring_view(text, length));
}

EWin32Error Win32ErrorFromCode(unsigned long code) {
    if (code == 0) return EWin32Error("A Win32 API function failed");
    return EWin32Error(Format("Win32 Error.  Code: %d.\n%s", {std::to_string(code), SystemErrorText(code)}));
}

void ReportToDebugger(const std::string& line) {
    OutputDebugStringW(Widen("Brivane: " + line + "\n").c_str());
}

void ReportIgnoredFailure(const char* call, unsigned long code) {
    ReportToDebugger(Format("%s failed, error %d: %s", {call, std::to_string(code), SystemErrorText(code)}));
}
#endif
