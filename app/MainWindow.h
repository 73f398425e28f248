// The main window: the program's one window of its own (the About window,
// which the tray icon shows), the owner of every component, and the one
// place where the roles meet. Each role is an object with its own state and
// a narrow interface; the window makes them, hands each what it works on,
// and passes its messages on:
//   TTrayState          the desktop's two states as the tray shows them
//   TDesktopSwitch      hiding and showing the desktop, one action at a time
//   TCaptionColours     the desktop icons' caption colours and their watchdog
//   THeartbeat          the periodic beat the watchdog, idle hiding and the
//                       following of the shell's desktop subscribe to
//   TIdleHiding         hiding the desktop when the user is away
//   THotKeyRegistration the hot key
//   TDesktopEntriesMenu the tray menu's desktop entries
//   TTrayPictures       the tray's and the menu's images for the taskbar
//   TAboutWindow        the About window's controls
//   TSettingsWindow     the settings window, made when first opened
//   TDesktopDoubleClick a double-click on the desktop hides and shows it
// The window itself handles start-up, the end of the logon, Exit and the
// commands that a second copy sends (WM_COPYDATA).
#pragma once

#include <windows.h>

#include <memory>

#include "AboutWindow.h"
#include "CaptionColours.h"
#include "CommandLine.h"
#include "DesktopDoubleClick.h"
#include "DesktopEntriesMenu.h"
#include "DesktopSwitch.h"
#include "Heartbeat.h"
#include "HotKeyRegistration.h"
#include "IdleHiding.h"
#include "SettingsWindow.h"
#include "TaskbarLook.h"
#include "TrayState.h"
#include "win/Forms.h"

class TMainWindow : public TForm {
public:
    explicit TMainWindow(TComponent* owner);
    ~TMainWindow() override;

    // Queues a hide, show, toggle or exit command, to be done from the
    // message loop; returns the answer for the sender: the desktop state once
    // it has been done.
    int64_t QueueCommand(TCommand command);
    // Reads the user's settings again (the hot key, the idle time) and takes
    // them; the answer for the sender of ReloadSettings.
    TSettingsReply ApplyStoredSettings();

    // The roles, for what the tests observe through them.
    TDesktopSwitch& Desktop() { return *desktop_; }
    TCaptionColours& CaptionColours() { return *captionColours_; }
    THeartbeat& Heartbeat() { return *heartbeat_; }
    TDesktopEntriesMenu& DesktopEntries() { return *desktopEntries_; }
    TTrayPictures& TrayPictures() { return *trayPictures_; }

protected:
    bool Dispatch(TMessage& message) override;
    void WndProc(TMessage& message) override;

private:
    void ReadStoredDescription();
    void AfterCreate(TObject* sender);
    void BeforeDestroy(TObject* sender);
    void KeepHiddenAtStart(TObject* sender, bool& showMainForm);
    void ExitClick(TObject* sender);
    void AnswerCommand(TMessage& message);

    // Components the roles don't own.
    TTrayIcon* trayIcon_ = nullptr;
    TPopupMenu* trayMenu_ = nullptr;
    TMenuItem* hideItem_ = nullptr;
    TMenuItem* showItem_ = nullptr;

    std::unique_ptr<TAboutWindow> about_;
    std::unique_ptr<TTrayPictures> trayPictures_;
    std::unique_ptr<THeartbeat> heartbeat_;
    std::unique_ptr<TDesktopEntriesMenu> desktopEntries_;
    std::unique_ptr<TCaptionColours> captionColours_;
    std::unique_ptr<TTrayState> trayState_;
    std::unique_ptr<TDesktopSwitch> desktop_;
    std::unique_ptr<TIdleHiding> idleHiding_;
    std::unique_ptr<THotKeyRegistration> hotKey_;
    std::unique_ptr<TDesktopDoubleClick> doubleClick_;
    std::unique_ptr<TSettingsWindow> settings_;
};
