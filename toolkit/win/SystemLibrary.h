// A function of one of the system's DLLs, loaded the first time it is
// called rather than when the program starts. Worth it for a DLL that only
// one rarely used command needs: loading one maps it and everything it
// imports in turn, and runs their initialisation, before the program can
// show anything.
#pragma once

#include <windows.h>

#include <string>

#include "core/Exception.h"
#include "win/Handles.h"

// Loads `library` (UTF-8 file name) from the System32 folder only, never from
// the program's folder, the current directory or PATH, where a planted copy
// could lie. Throws EWin32Error naming the library when it can't be loaded.
TUniqueModule LoadSystemLibrary(const std::string& library);
// The address of `name` in `module`; throws EWin32Error naming both when the
// library has no such function.
FARPROC SystemLibraryFunction(HMODULE module, const std::string& library, const std::string& name);

// Function is the function's own type, e.g. decltype(ChooseColorW): the
// pointer that Get returns is as typed as a direct call. The library stays
// loaded as long as this object lives.
template <class Function>
class TSystemFunction {
public:
    TSystemFunction(std::string library, std::string name)
        : library_(std::move(library)), name_(std::move(name)) {}
    TSystemFunction(const TSystemFunction&) = delete;
    TSystemFunction& operator=(const TSystemFunction&) = delete;

    // Loads the library and finds the function on the first call; throws
    // EWin32Error when either fails (and tries again on the next call).
    Function* Get() {
        if (!function_) {
            TUniqueModule module = LoadSystemLibrary(library_);
            const FARPROC address = SystemLibraryFunction(module.Get(), library_, name_);
            // GetProcAddress hands every function out under one generic type.
            function_ = reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
            module_ = std::move(module);
        }
        return function_;
    }
    bool Loaded() const { return function_ != nullptr; }
    // The same for a function that older Windows lacks: none when the library
    // or the function is missing, told to a debugger once.
    Function* Find() {
        if (!function_ && !missing_) {
            TUniqueModule module(
                LoadLibraryExW(WidenedName().c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
            const FARPROC address = module ? GetProcAddress(module.Get(), name_.c_str()) : nullptr;
            if (address) {
                function_ = reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
                module_ = std::move(module);
            } else {
                missing_ = true;
                ReportIgnoredFailure(name_.c_str(), GetLastError());
            }
        }
        return function_;
    }

private:
    std::string library_;
    std::string name_;
    TUniqueModule module_;
    Function* function_ = nullptr;
    bool missing_ = false;
    std::wstring WidenedName() const { return std::wstring(library_.begin(), library_.end()); }
};
