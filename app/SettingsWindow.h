// The settings window: the hot key, hiding when idle, the sign-in start, what
// Hide hides and the double-click on the desktop, read from Settings.h when
// it opens and stored there on OK or Apply. A modeless dialog from the
// resources, made when first asked for and destroyed when it closes, so that
// a start-up never pays for it; one at a time.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "HotKeyText.h"
#include "win/Forms.h"
#include "win/Handles.h"

class TSettingsWindow {
public:
    // Posted to the main window by a command (/settings, a second start):
    // open the window from the message loop.
    static constexpr UINT kOpen = WM_APP + 28;

    struct TSlots {
        // The hot key the running copy holds now: it counts as free.
        std::function<std::optional<THotKey>()> hotKeyInForce;
        // Has the program take the stored settings; whether the stored hot
        // key (if any) is registered afterwards.
        std::function<bool()> takeStoredSettings;
    };
    explicit TSettingsWindow(TSlots slots) : slots_(std::move(slots)) {}
    TSettingsWindow(const TSettingsWindow&) = delete;
    TSettingsWindow& operator=(const TSettingsWindow&) = delete;
    ~TSettingsWindow();

    // Opens the window, or brings the open one to the front.
    void Open();
    // The "Settings…" item's slot.
    TNotifyEvent OpenSlot() { return TNotifyEvent(this, &TSettingsWindow::OpenClicked); }
    // The window while it is open.
    HWND Handle() const { return window_.Get(); }

private:
    void OpenClicked(TObject*) { Open(); }
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);
    void KeyPressed(THotKey hotKey);
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Respond(UINT message, WPARAM wParam, LPARAM lParam);
    void Load();
    void HotKeyEdited();
    void Note(const std::string& text);
    bool Apply();
    void Close();
    void FollowDpi(int dpi, const RECT& suggested);

    TSlots slots_;
    TUniqueWindow window_;
    // While the window is open: sees the keys typed into the hot-key
    // control before a hot key another program holds is taken from it.
    TUniqueHook keyboardHook_;
    TUniqueFont font_;  // the dialog's font once the DPI has changed
    int dpi_ = 96;
    // The hot key the control shows (with the Windows key, which the control
    // can't show, when the stored one has it); none: none typed.
    std::optional<THotKey> shown_;
};
