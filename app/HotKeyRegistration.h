// The hot key registered for the main window, as the settings name it. A key
// that another program holds is refused, and the one registered before stays.
#pragma once

#include <windows.h>

#include <optional>

#include "HotKeyText.h"
#include "win/Forms.h"

class THotKeyRegistration {
public:
    // The identifier WM_HOTKEY carries.
    static constexpr int kHotKeyId = 100000;
    explicit THotKeyRegistration(TWinControl* window) : window_(window) {}
    THotKeyRegistration(const THotKeyRegistration&) = delete;
    THotKeyRegistration& operator=(const THotKeyRegistration&) = delete;

    // Registers `wanted` in place of the key registered now (none: off);
    // true when `wanted` is the key registered afterwards.
    bool Take(std::optional<THotKey> wanted);
    std::optional<THotKey> Registered() const { return registered_; }
    // Before the window goes (its handle is not made again for it).
    void Release();

private:
    bool Register(THotKey hotKey);
    TWinControl* window_;  // registered for its window
    std::optional<THotKey> registered_;
};
