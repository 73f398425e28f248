// TTrayIcon: the hooks on the application window and the owner's window, which
// hide the application in the notification area when it is minimised and add
// the icon again when the shell's taskbar is re-created.
#include "TrayIcon/TrayIcon.h"

#include "win/Application.h"
#include "win/Forms.h"

namespace {

// The shell broadcasts this registered message to the top-level windows when
// its taskbar is made again (Explorer restarted); registered once, as the
// program starts.
const UINT gTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

}  // namespace

UINT TTrayIcon::TaskbarCreatedMessage() { return gTaskbarCreated; }

void TTrayIcon::HookWindows() {
    if (Application && Application->Handle()) {
        appHook_ = std::make_unique<TWindowSubclass>(
            Application->Handle(), [this](UINT m, WPARAM wp, LPARAM lp) { return HookAppProc(m, wp, lp); });
        // The shell's broadcast must reach a copy running elevated too.
        if (gTaskbarCreated != 0) AllowMessageFromLowerIntegrity(Application->Handle(), gTaskbarCreated);
    }
    if (TWinControl* ownerControl = OwnerControl()) {
        ownerHook_ = std::make_unique<TWindowSubclass>(
            ownerControl->Handle(),
            [this](UINT m, WPARAM wp, LPARAM lp) { return HookOwnerProc(m, wp, lp); });
    }
}

// --- the application window in the tray ------------------------------------------

LRESULT TTrayIcon::HookAppProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED) {
        if (minimizeToTray_) DoMinimizeToTray();
    }
    if (message == WM_WINDOWPOSCHANGED && startupPending_ && Application && Application->MainForm()) {
        startupPending_ = false;
    }
    if (gTaskbarCreated != 0 && message == gTaskbarCreated && iconVisible_) {
        // The icon went with the old taskbar.
        added_ = false;
        ShowIcon();
    }
    return appHook_->CallNext(message, wParam, lParam);
}

LRESULT TTrayIcon::HookOwnerProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
        if (Application) SetForegroundWindow(Application->Handle());
        SetForegroundWindow(ownerHook_->Window());
    }
    return ownerHook_->CallNext(message, wParam, lParam);
}

void TTrayIcon::DoMinimizeToTray() {
    HideApplicationWindow();
    SetIconVisible(true);
}

void TTrayIcon::HideApplicationWindow() {
    if (!OwnerControl() || !Application || !Application->MainForm()) return;
    Application->MainForm()->SetVisible(false);
    HideTaskbarButton();
}

void TTrayIcon::HideTaskbarButton() {
    if (Application && IsWindowVisible(Application->Handle())) ShowWindow(Application->Handle(), SW_HIDE);
}

void TTrayIcon::ShowApplicationWindow() {
    if (!OwnerControl() || !Application || !Application->MainForm()) return;
    TForm* main = Application->MainForm();
    Application->Restore();
    if (main->WindowState() == TWindowState::wsMinimized) main->SetWindowState(TWindowState::wsNormal);
    main->SetVisible(true);
    SetForegroundWindow(Application->Handle());
}
