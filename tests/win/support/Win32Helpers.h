// Plain Win32 helpers that tests of every kind share: where they run, the
// build tree and version strings, windows found by title, a list box's lines,
// clicks on a control, the pointer, and scratch folders.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Pump.h"

inline bool RunningOnWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

inline std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

// The build directory: the Wine session exports it (as Z:\...); elsewhere it
// is three folders above this program (<build>\tests\win\<test>.exe).
inline std::wstring BuildDirectory() {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"BRIVANE_BUILD_DIR", value, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return value;
    return std::filesystem::path(ModulePath()).parent_path().parent_path().parent_path().native();
}

// A string of a file's version resource (UK English, code page 1252) as the
// version service itself reads it; "(none)" when there is no such string.
inline std::wstring VersionString(const std::wstring& file, const wchar_t* name) {
    DWORD ignored = 0;
    std::vector<unsigned char> block(GetFileVersionInfoSizeW(file.c_str(), &ignored));
    wchar_t* value = nullptr;
    UINT length = 0;
    if (block.empty() ||
        !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueW(block.data(), (std::wstring(L"\\StringFileInfo\\080904E4\\") + name).c_str(),
                        reinterpret_cast<void**>(&value), &length)) {
        return L"(none)";
    }
    return length > 0 ? std::wstring(value, length - 1) : std::wstring();
}

// Visible top-level windows whose title contains `text`.
inline std::vector<HWND> WindowsTitled(const std::wstring& text) {
    struct Search {
        std::wstring text;
        std::vector<HWND> found;
    } search{text, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t title[512] = {};
            GetWindowTextW(window, title, 512);
            if (IsWindowVisible(window) && std::wstring(title).find(s->text) != std::wstring::npos)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message-only window (parent HWND_MESSAGE): found among those, not among
// the top-level windows.
inline bool MessageOnly(HWND window) {
    for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;)
        if (w == window) return true;
    return false;
}

// The lines of a list box window, as the window holds them.
inline std::vector<std::wstring> ListBoxLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (WPARAM i = 0; static_cast<LRESULT>(i) < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(
            static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        lines.push_back(text);
    }
    return lines;
}

// A left press and release on a windowed control (anything with Handle() and
// Scale()) at a point given at 96 DPI; released elsewhere when given.
template <class Control>
void ClickAt(Control* control, int x, int y, int releaseX = -1, int releaseY = -1) {
    const LPARAM down = MAKELPARAM(control->Scale(x), control->Scale(y));
    const LPARAM up = releaseX < 0 ? down : MAKELPARAM(control->Scale(releaseX), control->Scale(releaseY));
    SendMessageW(control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, down);
    SendMessageW(control->Handle(), WM_LBUTTONUP, 0, up);
}

// Puts the pointer at a point of the screen and waits until the system reports
// it there (under X a warp may be reported late: it is repeated until it sticks).
inline bool MoveCursor(int x, int y) {
    return PumpUntil([&] {
        POINT now{};
        if (GetCursorPos(&now) && now.x == x && now.y == y) return true;
        SetCursorPos(x, y);
        return false;
    });
}

// A folder of the test's own in the temporary folder, removed with all it
// holds when the test ends; with `enter`, the current directory meanwhile.
class TScratchFolder {
public:
    explicit TScratchFolder(const std::wstring& name, bool enter = false)
        : path_(std::filesystem::temp_directory_path() /
                (name + L"-" + std::to_wstring(GetCurrentProcessId()))) {
        std::filesystem::create_directories(path_);
        if (!enter) return;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~TScratchFolder() {
        std::error_code ignored;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_, previous_;
};
