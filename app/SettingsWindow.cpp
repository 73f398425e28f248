#include "SettingsWindow.h"

#include <commctrl.h>

#include <string>

#include "CommandLine.h"
#include "Settings.h"
#include "core/Utf.h"
#include "resource.h"
#include "win/Application.h"
#include "win/CarriedPointer.h"
#include "win/Forms.h"
#include "win/SystemLibrary.h"
#include "win/Window.h"

namespace {

// Loaded with the window, not at start-up: the hot-key and up-down classes
// are registered by comctl32 (version 6, as the manifest asks).
TSystemFunction<decltype(InitCommonControlsEx)> gInitCommonControls("comctl32.dll", "InitCommonControlsEx");
// Windows 10 1703 and later move and scale a dialog's controls themselves on
// a DPI change; this window does it itself, on every system alike.
TSystemFunction<decltype(SetDialogDpiChangeBehavior)> gDialogDpiBehaviour("user32.dll",
                                                                          "SetDialogDpiChangeBehavior");

// A thread's own hot keys take 0x0000 to 0xBFFF; the command line's trial uses
// 0x4252.
constexpr int kTrialHotKeyId = 0x4253;

// The hot-key control's modifier flags (HOTKEYF_*) and RegisterHotKey's
// (MOD_*) differ in the order of Shift and Alt.
THotKey FromControl(LRESULT value) {
    const auto flags = static_cast<unsigned>(HIBYTE(LOWORD(value)));
    return THotKey{((flags & HOTKEYF_SHIFT) ? kHotKeyShift : 0u) |
                       ((flags & HOTKEYF_CONTROL) ? kHotKeyControl : 0u) |
                       ((flags & HOTKEYF_ALT) ? kHotKeyAlt : 0u),
                   LOBYTE(LOWORD(value))};
}

WPARAM ToControl(THotKey hotKey) {
    const unsigned flags = ((hotKey.modifiers & kHotKeyShift) ? HOTKEYF_SHIFT : 0u) |
                           ((hotKey.modifiers & kHotKeyControl) ? HOTKEYF_CONTROL : 0u) |
                           ((hotKey.modifiers & kHotKeyAlt) ? HOTKEYF_ALT : 0u);
    return MAKEWORD(hotKey.key, flags);
}

// What is said next to the control about the key typed; "" when Brivane can
// take it.
std::string HotKeyNote(std::optional<THotKey> hotKey, std::optional<THotKey> inForce) {
    if (!hotKey || hotKey == inForce) return {};
    const std::string text = HotKeyText(*hotKey);
    if (!ParseHotKey(text)) return "Not a hot key: a key that types needs Ctrl or Alt";
    if (ReservedByWindows(*hotKey)) return "Windows keeps " + text + " for itself";
    if (!RegisterHotKey(nullptr, kTrialHotKeyId, hotKey->modifiers, hotKey->key))
        return text + " is held by another program";
    UnregisterHotKey(nullptr, kTrialHotKeyId);
    return {};
}

// The window the keyboard hook posts to, and the modifiers it has seen down.
HWND gDialog = nullptr;
uint32_t gModifiers = 0;
constexpr UINT kKeyPressed = WM_APP + 29;

uint32_t ModifierOf(DWORD vk) {
    switch (vk) {
        case VK_LCONTROL:
        case VK_RCONTROL:
            return kHotKeyControl;
        case VK_LMENU:
        case VK_RMENU:
            return kHotKeyAlt;
        case VK_LSHIFT:
        case VK_RSHIFT:
            return kHotKeyShift;
        case VK_LWIN:
        case VK_RWIN:
            return kHotKeyWin;
        default:
            return 0;
    }
}

bool Checked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }

}  // namespace

TSettingsWindow::~TSettingsWindow() { Close(); }

void TSettingsWindow::Open() {
    if (!window_) {
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_HOTKEY_CLASS | ICC_UPDOWN_CLASS};
        gInitCommonControls.Get()(&classes);
        window_.Reset(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr,
                                         Procedure, reinterpret_cast<LPARAM>(this)));
        if (!window_) throw Win32ErrorFromCode(GetLastError());
        Application->SetDialogWindow(window_.Get());
        Load();
        gDialog = window_.Get();
        gModifiers = 0;
        keyboardHook_.Reset(SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(nullptr), 0));
        if (!keyboardHook_) ReportIgnoredFailure("SetWindowsHookExW", GetLastError());
    }
    ShowWindow(window_.Get(), SW_SHOWNORMAL);
    SetForegroundWindow(window_.Get());
}

// A key that another program has registered never reaches the control: the
// system turns it into that program's WM_HOTKEY. A low-level hook sees it
// first; it returns at once, and posts a key with Ctrl, Alt or Win (or a key
// that needs none) typed while the control has the focus.
LRESULT CALLBACK TSettingsWindow::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* key = CarriedPointer<const KBDLLHOOKSTRUCT*>(lParam);
    const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
    if (code == HC_ACTION && gDialog) {
        if (const uint32_t modifier = ModifierOf(key->vkCode)) {
            gModifiers = down ? gModifiers | modifier : gModifiers & ~modifier;
        } else if (down && GetFocus() == GetDlgItem(gDialog, IDC_HOTKEY) &&
                   ((gModifiers & ~kHotKeyShift) || (key->vkCode >= VK_F1 && key->vkCode <= VK_F24) ||
                    key->vkCode == VK_PAUSE)) {
            PostMessageW(gDialog, kKeyPressed, key->vkCode, gModifiers);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TSettingsWindow::KeyPressed(THotKey hotKey) {
    shown_ = hotKey;
    SendDlgItemMessageW(window_.Get(), IDC_HOTKEY, HKM_SETHOTKEY, ToControl(hotKey), 0);
    Note(HotKeyNote(shown_, slots_.hotKeyInForce()));
}

INT_PTR CALLBACK TSettingsWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = CarriedPointer<TSettingsWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    bool handled = false;
    if (self) GuardBoundary([&] { handled = self->Respond(message, wParam, lParam); });
    // WM_INITDIALOG: TRUE puts the focus on the first control.
    return handled || message == WM_INITDIALOG;
}

bool TSettingsWindow::Respond(UINT message, WPARAM wParam, LPARAM lParam) {
    // During WM_INITDIALOG the window is not ours yet.
    HWND window = window_ ? window_.Get() : nullptr;
    switch (message) {
        case WM_INITDIALOG:
            return false;
        case kKeyPressed:
            KeyPressed(THotKey{static_cast<uint32_t>(lParam), static_cast<uint32_t>(wParam)});
            return true;
        case WM_DPICHANGED:
            FollowDpi(HIWORD(wParam), *CarriedPointer<const RECT*>(lParam));
            return true;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_HOTKEY:
                    if (HIWORD(wParam) == EN_CHANGE) HotKeyEdited();
                    return true;
                case IDC_HOTKEY_NONE:
                    EnableWindow(GetDlgItem(window, IDC_HOTKEY), !Checked(window, IDC_HOTKEY_NONE));
                    HotKeyEdited();
                    return true;
                case IDC_AUTOHIDE:
                    EnableWindow(GetDlgItem(window, IDC_AUTOHIDE_SECONDS), Checked(window, IDC_AUTOHIDE));
                    return true;
                case IDOK:
                    if (Apply()) Close();
                    return true;
                case IDC_APPLY:
                    Apply();
                    return true;
                case IDCANCEL:  // Esc, Cancel, the close box
                    Close();
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

void TSettingsWindow::Load() {
    // A stored value that can't be used shows as its default (Settings.h);
    // it is stored anew only on OK or Apply.
    HWND window = window_.Get();
    if (gDialogDpiBehaviour.Find()) gDialogDpiBehaviour.Get()(window, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
    dpi_ = MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    shown_ = ReadHotKeySetting().hotKey;
    if (shown_) SendDlgItemMessageW(window, IDC_HOTKEY, HKM_SETHOTKEY, ToControl(*shown_), 0);
    CheckDlgButton(window, IDC_HOTKEY_NONE, shown_ ? BST_UNCHECKED : BST_CHECKED);
    EnableWindow(GetDlgItem(window, IDC_HOTKEY), shown_.has_value());
    const uint32_t seconds = ReadAutoHideSetting().seconds;
    SendDlgItemMessageW(window, IDC_AUTOHIDE_SPIN, UDM_SETRANGE32, kAutoHideMinSeconds, kAutoHideMaxSeconds);
    SendDlgItemMessageW(window, IDC_AUTOHIDE_SPIN, UDM_SETPOS32, 0, seconds ? seconds : 300);
    CheckDlgButton(window, IDC_AUTOHIDE, seconds ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(window, IDC_AUTOHIDE_SECONDS), seconds != 0);
    CheckDlgButton(window, IDC_AUTOSTART, ReadAutostart() ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(window, IDC_HIDE_ALL, IDC_HIDE_ICONS,
                     ReadSwitchSetting(kKeepWallpaperValue).on ? IDC_HIDE_ICONS : IDC_HIDE_ALL);
    CheckDlgButton(window, IDC_DOUBLECLICK,
                   ReadSwitchSetting(kDoubleClickValue).on ? BST_CHECKED : BST_UNCHECKED);
    HotKeyEdited();
}

void TSettingsWindow::HotKeyEdited() {
    HWND window = window_.Get();
    if (!window) return;
    if (Checked(window, IDC_HOTKEY_NONE)) {
        Note({});
        return;
    }
    const LRESULT value = SendDlgItemMessageW(window, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0);
    // The control can't show the Windows key: a stored key with it stays
    // until another is typed.
    if (!shown_ || ToControl(*shown_) != static_cast<WPARAM>(LOWORD(value)))
        shown_ = LOBYTE(LOWORD(value)) ? std::optional<THotKey>(FromControl(value)) : std::nullopt;
    Note(HotKeyNote(shown_, slots_.hotKeyInForce()));
}

void TSettingsWindow::Note(const std::string& text) {
    SetDlgItemTextW(window_.Get(), IDC_HOTKEY_STATUS, Widen(text).c_str());
}

bool TSettingsWindow::Apply() {
    HWND window = window_.Get();
    const std::optional<THotKey> wanted = Checked(window, IDC_HOTKEY_NONE) ? std::nullopt : shown_;
    if (wanted && !ParseHotKey(HotKeyText(*wanted))) {
        SetFocus(GetDlgItem(window, IDC_HOTKEY));
        return false;
    }
    uint32_t seconds = 0;
    if (Checked(window, IDC_AUTOHIDE)) {
        // The up-down control puts a number typed out of range back into it.
        seconds = static_cast<uint32_t>(SendDlgItemMessageW(window, IDC_AUTOHIDE_SPIN, UDM_GETPOS32, 0, 0));
        SendDlgItemMessageW(window, IDC_AUTOHIDE_SPIN, UDM_SETPOS32, 0, seconds);
    }
    const TStoredSetting previous = ReadStoredSetting(kHotKeyValue);
    WriteHotKeySetting(wanted);
    WriteAutoHideSetting(seconds);
    if (Checked(window, IDC_AUTOSTART) != ReadAutostart())
        WriteAutostart(Checked(window, IDC_AUTOSTART), ProgramPath());
    WriteSwitchSetting(kKeepWallpaperValue, Checked(window, IDC_HIDE_ICONS));
    WriteSwitchSetting(kDoubleClickValue, Checked(window, IDC_DOUBLECLICK));
    if (slots_.takeStoredSettings() || !wanted) return true;
    // Taken by another program since it was typed: the key in force stays.
    RestoreStoredSetting(kHotKeyValue, previous);
    slots_.takeStoredSettings();
    Note(HotKeyText(*wanted) + " is held by another program");
    return false;
}

void TSettingsWindow::Close() {
    if (!window_) return;
    Application->SetDialogWindow(nullptr);
    keyboardHook_.Reset();
    gDialog = nullptr;
    window_.Reset();
    font_.Reset();
}

void TSettingsWindow::FollowDpi(int dpi, const RECT& suggested) {
    // Every control keeps its place and size in the dialog's own units: both
    // scaled by the new DPI over the old, with a font made for the new one.
    HWND window = window_.Get();
    LOGFONTW logFont{};
    GetObjectW(CarriedPointer<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof logFont, &logFont);
    logFont.lfHeight = MulDiv(logFont.lfHeight, dpi, dpi_);
    TUniqueFont font(CreateFontIndirectW(&logFont));
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(child, nullptr, MulDiv(r.left, dpi, dpi_), MulDiv(r.top, dpi, dpi_),
                     MulDiv(r.right - r.left, dpi, dpi_), MulDiv(r.bottom - r.top, dpi, dpi_),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    }
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    font_ = std::move(font);
    dpi_ = dpi;
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}
