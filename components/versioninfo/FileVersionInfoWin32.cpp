// Reading a file's version block through the platform's version service.
#include "FileVersionInfo.h"

#include <windows.h>

#include <string>

#include "core/Exception.h"
#include "core/Utf.h"
#include "win/SystemLibrary.h"

namespace {

// version.dll is no KnownDLL: imported by name, the loader would look for it
// in the program's folder first. Its functions are found in the system
// folder when first asked for.
TSystemFunction<decltype(GetFileVersionInfoSizeW)>& VersionInfoSize() {
    static TSystemFunction<decltype(GetFileVersionInfoSizeW)> function("version.dll",
                                                                       "GetFileVersionInfoSizeW");
    return function;
}

TSystemFunction<decltype(GetFileVersionInfoW)>& VersionInfo() {
    static TSystemFunction<decltype(GetFileVersionInfoW)> function("version.dll", "GetFileVersionInfoW");
    return function;
}

}  // namespace

TFileVersionInfo::TFileVersionInfo(const std::string& fileName) {
    const std::wstring path = Widen(fileName);
    DWORD handle = 0;
    const DWORD size = VersionInfoSize().Get()(path.c_str(), &handle);
    if (size == 0) throw EFileVersionInfoError(kNoVersionInformation);
    block_.resize(size);
    if (!VersionInfo().Get()(path.c_str(), handle, size, block_.data())) {
        throw Win32ErrorFromCode(GetLastError());
    }
    // GetFileVersionInfoW leaves room after the resource for its own
    // conversions; the walk goes by the root's length, not by size.
    ReadBlock();
}
