#include "win/SystemLibrary.h"

#include "core/Exception.h"
#include "core/Utf.h"

TUniqueModule LoadSystemLibrary(const std::string& library) {
    TUniqueModule module(LoadLibraryExW(Widen(library).c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module) {
        const DWORD code = GetLastError();
        throw EWin32Error("Could not load " + library + " from the system folder.\n" +
                          Win32ErrorFromCode(code).Message());
    }
    return module;
}

FARPROC SystemLibraryFunction(HMODULE module, const std::string& library, const std::string& name) {
    const FARPROC address = GetProcAddress(module, name.c_str());
    if (!address) {
        const DWORD code = GetLastError();
        throw EWin32Error("Could not find " + name + " in " + library + ".\n" +
                          Win32ErrorFromCode(code).Message());
    }
    return address;
}
