// Reading a file's version block through the platform's version service.
#include "FileVersionInfo.h"

#include <windows.h>

#include <iterator>
#include <string>

#include "core/Utf.h"

EWin32Error Win32ErrorFromCode(unsigned long code) {
    if (code == 0) return EWin32Error("A Win32 API function failed");
    wchar_t text[1024] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, text, static_cast<DWORD>(std::size(text)), nullptr);
    // The system's texts end in a line break.
    while (length > 0 &&
           (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) {
        --length;
    }
    return EWin32Error(Format("Win32 Error.  Code: %d.\n%s",
                              {std::to_string(code), Narrow(std::wstring_view(text, length))}));
}

TFileVersionInfo::TFileVersionInfo(const std::string& fileName) {
    const std::wstring path = Widen(fileName);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) throw EFileVersionInfoError(kNoVersionInformation);
    block_.resize(size);
    if (!GetFileVersionInfoW(path.c_str(), handle, size, block_.data())) {
        throw Win32ErrorFromCode(GetLastError());
    }
    // GetFileVersionInfoW leaves room after the resource for its own
    // conversions; the walk goes by the root's length, not by size.
    ReadBlock();
}
