// One owner type per kind of Win32 handle: move-only, destroys on reset.
// A raw HKEY/HMENU/... elsewhere is a borrowed handle.
#pragma once

#include <windows.h>

#include <utility>

template <class Handle, class Traits>
class TUniqueHandle {
public:
    TUniqueHandle() = default;
    explicit TUniqueHandle(Handle handle) : handle_(handle) {}
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ~TUniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }
    // Gives up ownership, e.g. when the handle is handed to the system.
    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        Handle old = std::exchange(handle_, handle);
        if (Traits::IsValid(old)) Traits::Close(old);
    }

private:
    Handle handle_ = Traits::Invalid();
};

namespace handle_traits {

template <class H>
struct NullInvalid {
    static H Invalid() { return nullptr; }
    static bool IsValid(H h) { return h != nullptr; }
};

struct Key : NullInvalid<HKEY> {
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct Menu : NullInvalid<HMENU> {
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct Icon : NullInvalid<HICON> {
    static void Close(HICON h) { DestroyIcon(h); }
};
struct Cursor : NullInvalid<HCURSOR> {
    static void Close(HCURSOR h) { DestroyCursor(h); }
};
struct Bitmap : NullInvalid<HBITMAP> {
    static void Close(HBITMAP h) { DeleteObject(h); }
};
struct Font : NullInvalid<HFONT> {
    static void Close(HFONT h) { DeleteObject(h); }
};
struct Brush : NullInvalid<HBRUSH> {
    static void Close(HBRUSH h) { DeleteObject(h); }
};
struct Kernel : NullInvalid<HANDLE> {
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct Find {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct Window : NullInvalid<HWND> {
    static void Close(HWND h) { DestroyWindow(h); }
};
struct Dc : NullInvalid<HDC> {
    static void Close(HDC h) { DeleteDC(h); }
};
struct Module : NullInvalid<HMODULE> {
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct Hook : NullInvalid<HHOOK> {
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};

}  // namespace handle_traits

using TUniqueKey = TUniqueHandle<HKEY, handle_traits::Key>;
using TUniqueMenu = TUniqueHandle<HMENU, handle_traits::Menu>;
using TUniqueIcon = TUniqueHandle<HICON, handle_traits::Icon>;
using TUniqueCursor = TUniqueHandle<HCURSOR, handle_traits::Cursor>;
using TUniqueBitmap = TUniqueHandle<HBITMAP, handle_traits::Bitmap>;
using TUniqueFont = TUniqueHandle<HFONT, handle_traits::Font>;
using TUniqueBrush = TUniqueHandle<HBRUSH, handle_traits::Brush>;
using TUniqueKernelHandle = TUniqueHandle<HANDLE, handle_traits::Kernel>;
using TUniqueFind = TUniqueHandle<HANDLE, handle_traits::Find>;
using TUniqueWindow = TUniqueHandle<HWND, handle_traits::Window>;
using TUniqueDc = TUniqueHandle<HDC, handle_traits::Dc>;
using TUniqueModule = TUniqueHandle<HMODULE, handle_traits::Module>;
using TUniqueHook = TUniqueHandle<HHOOK, handle_traits::Hook>;

// A device context borrowed with GetDC, released with ReleaseDC.
class TWindowDc {
public:
    explicit TWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    TWindowDc(const TWindowDc&) = delete;
    TWindowDc& operator=(const TWindowDc&) = delete;
    ~TWindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a DC for a scope.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;
    ~TSelectObject() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};
