// TTrayIcon: a component that owns one icon in the taskbar's notification
// area. It keeps its own notification record and re-sends it whenever the
// image, the hint or the visibility changes; the shell's mouse callbacks come
// back to a hidden window shared by all instances and become the component's
// events. It also hooks the application window and its owner's window to hide
// the application in the notification area.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "SimpleTimer/SimpleTimer.h"
#include "TrayIcon/TrayMessage.h"
#include "core/Component.h"
#include "core/Seam.h"
#include "win/Graphics.h"
#include "win/SharedWindow.h"
#include "win/Window.h"

class TCustomImageList;
class TPopupMenu;
class TWinControl;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TCycleEvent = TEvent<TObject*, int>;
using TStartupEvent = TEvent<TObject*, bool&>;

// The callback message the shell sends to the shared window.
constexpr UINT WM_TRAYICON = 0x0800;

class TTrayIcon;

// The hidden window that all tray icons share; the shell sends it their
// callbacks.
using TTrayIconHandler = TSharedWindow<TTrayIcon>;

// Every Shell_NotifyIconW call of the component; tests record the calls.
extern TSeam<BOOL(DWORD message, NOTIFYICONDATAW& data)> NotifyIconSeam;
// Shell_NotifyIconGetRect: where the icon is on the screen.
extern TSeam<HRESULT(const NOTIFYICONIDENTIFIER& icon, RECT& where)> NotifyIconRectSeam;

class TTrayIcon : public TComponent {
public:
    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;

    // Published properties; setters act at once, also while loading.
    TCustomImageList* IconList() const { return iconList_; }
    void SetIconList(TCustomImageList* list);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool value);
    unsigned CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(unsigned value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    const std::string& Hint() const { return hint_; }
    // Keeps at most the first 127 characters, never splitting one.
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    // The owned icon; changing its image in place re-sends the record.
    TIcon* Icon() const { return icon_.get(); }
    void SetIcon(const TIcon& icon);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool value);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int value);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    bool LeftPopup() const { return leftPopup_; }
    void SetLeftPopup(bool value) { leftPopup_ = value; }
    bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
    void SetWantEnterExitEvents(bool value);
    bool MinimizeToTray() const { return minimizeToTray_; }
    void SetMinimizeToTray(bool value) { minimizeToTray_ = value; }
    TCallbackVersion CallbackVersion() const { return callbackVersion_; }
    // Sends NIM_SETVERSION with the matching uVersion.
    void SetCallbackVersion(TCallbackVersion value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TCycleEvent OnCycle;
    TStartupEvent OnStartup;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TNotifyEvent OnBalloonHintClick;
    TNotifyEvent OnBalloonHintHide;
    TNotifyEvent OnBalloonHintTimeout;

    void RefreshIcon() { ModifyIcon(); }
    virtual bool ShowIcon();
    virtual bool HideIcon();
    virtual bool ModifyIcon();

    void ShowApplicationWindow();
    void HideApplicationWindow();
    void PopupAtCursor();

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    // The identifier handed to the shell as uID. It is a small number mapped to
    // the live instance, since the callback's wParam can come from anyone.
    UINT IconId() const { return iconId_; }
    const NOTIFYICONDATAW& IconData() const { return iconData_; }
    bool ClickStart() const { return clickStart_; }
    bool ClickReady() const { return clickReady_; }
    bool DblClicked() const { return dblClicked_; }
    bool MouseOutside() const { return mouseOutside_; }
    bool StartupPending() const { return startupPending_; }
    POINT LastMousePos() const { return lastMousePos_; }
    TSimpleTimer& CycleTimer() const { return *cycleTimer_; }
    TSimpleTimer& ClickTimer() const { return *clickTimer_; }
    TSimpleTimer& ExitTimer() const { return *exitTimer_; }
    // Adds the notification area refused while the icon is meant to be
    // there (not ready yet, or timed out under load at sign-in) are tried
    // again on this timer, a little later each time, for some minutes.
    TSimpleTimer& AddRetryTimer() const { return *addRetryTimer_; }
    // Whether the notification area took the icon, as far as it told.
    bool IconAdded() const { return added_; }
    // Whether the application window and the owner's window are hooked.
    bool AppHooked() const { return appHook_ && appHook_->Installed(); }
    bool OwnerHooked() const { return ownerHook_ && ownerHook_->Installed(); }

    // The process's shared handler (nullptr while no tray icon exists) and the
    // registered "TaskbarCreated" message (0 when not registered).
    static TTrayIconHandler* SharedHandler();
    static UINT TaskbarCreatedMessage();
    static TTrayIcon* FindIcon(UINT id);

protected:
    virtual void Click() { OnClick(this); }
    virtual void DblClick() { OnDblClick(this); }
    virtual void CycleIcon(int nextIndex) { OnCycle(this, nextIndex); }
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
        OnMouseDown(this, button, shift, x, y);
    }
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
        OnMouseUp(this, button, shift, x, y);
    }
    virtual void MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
    virtual void MouseEnter() { OnMouseEnter(this); }
    virtual void MouseExit() { OnMouseExit(this); }
    virtual void DoMinimizeToTray();

private:
    friend LRESULT HandleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleCallback(UINT notification);
    void PrepareIconData();
    BOOL Notify(DWORD message);
    void IconChanged(TObject* sender);
    void HideTaskbarButton();
    TWinControl* OwnerControl() const;
    void HookWindows();
    LRESULT HookAppProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HookOwnerProc(UINT message, WPARAM wParam, LPARAM lParam);
    void InvokeDefaultMenuItem();
    static void CycleTick(void* data);
    static void ClickTick(void* data);
    static void ExitTick(void* data);
    static void AddRetryTick(void* data);
    void NoteNotifyResult(DWORD message, BOOL done);

    bool enabled_ = true;
    std::unique_ptr<TIcon> icon_;
    UINT iconId_ = 0;
    bool iconVisible_ = false;
    std::string hint_;
    bool showHint_ = true;
    TPopupMenu* popupMenu_ = nullptr;
    bool leftPopup_ = false;
    bool minimizeToTray_ = false;
    bool clickStart_ = false, clickReady_ = false;
    std::unique_ptr<TSimpleTimer> cycleTimer_, clickTimer_, exitTimer_, addRetryTimer_;
    bool added_ = false;
    int addRetries_ = 0;
    POINT lastMousePos_{0, 0};
    bool mouseOutside_ = true;
    bool wantEnterExitEvents_ = false;
    TCallbackVersion callbackVersion_ = TCallbackVersion::cvClassic;
    bool dblClicked_ = false;
    int iconIndex_ = 0;
    bool startupPending_ = true;
    TCustomImageList* iconList_ = nullptr;
    bool cycleIcons_ = false;
    unsigned cycleInterval_ = 0;
    std::unique_ptr<TWindowSubclass> appHook_, ownerHook_;
    NOTIFYICONDATAW iconData_{};
};
