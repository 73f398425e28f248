// Reading a file's version block through the platform's version service.
#include "FileVersionInfo.h"

#include <windows.h>

#include <string>

#include "core/Exception.h"
#include "core/Utf.h"

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
