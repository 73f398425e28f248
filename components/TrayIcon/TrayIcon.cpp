#include "TrayIcon/TrayIcon.h"

#include <cwchar>
#include <vector>

#include "core/Utf.h"
#include "win/Application.h"
#include "win/Forms.h"
#include "win/ImgList.h"
#include "win/Menus.h"

LRESULT HandleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

UINT gTaskbarCreated = 0;

TTrayIconHandler& Shared() {
    static TTrayIconHandler shared(&HandleTrayMessage);
    return shared;
}

TTrayIcon::TNotifyFunction& NotifyFunction() {
    static TTrayIcon::TNotifyFunction function;
    return function;
}

// The common-controls version from comctl32's version resource (major in the
// high word, minor in the low word); 0 when it can't be read.
DWORD CommonControlsVersion() {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(L"comctl32.dll", &handle);
    if (size == 0) return 0;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(L"comctl32.dll", handle, size, block.data())) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return 0;
    }
    return fixed->dwFileVersionMS;
}

// Module initialisation: the shell broadcasts "TaskbarCreated" when its
// taskbar is re-created (Explorer restarted); common controls 4.71 and later
// come with shells that do.
struct TrayModule {
    TrayModule() {
        if (CommonControlsVersion() >= 0x40047) gTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    }
} gTrayModule;

POINT CursorPos() {
    POINT p{0, 0};
    GetCursorPos(&p);
    return p;
}

TShiftState CurrentShift(TShiftState button) {
    return ShiftStateFromKeys(GetAsyncKeyState(VK_SHIFT), GetAsyncKeyState(VK_CONTROL),
                              GetAsyncKeyState(VK_MENU), button);
}

}  // namespace

// --- shared window -----------------------------------------------------------

LRESULT HandleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TRAYICON:
            // wParam is the icon's uID as the shell sends it back; any process
            // can send this message, so it is looked up, never trusted.
            if (TTrayIcon* icon = Shared().Find(wParam)) icon->HandleCallback(static_cast<UINT>(lParam));
            return 0;
        case WM_DESTROY:
        case WM_CLOSE:
        case WM_QUERYENDSESSION:
        case WM_QUIT:
        case WM_ENDSESSION:
        case WM_NCDESTROY:
            // Not passed on: a WM_CLOSE from anyone leaves the window alive, and
            // it never objects to the end of the logon. (The result of
            // WM_DESTROY and WM_NCDESTROY changes nothing: once they arrive the
            // window is going, and only its owner destroys it.)
            return 1;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// --- construction and destruction --------------------------------------------

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner) {
    // Identifiers stay far below 2^32, as uID is a UINT.
    iconId_ = static_cast<UINT>(Shared().Join(this));
    startupPending_ = true;
    enabled_ = true;
    showHint_ = true;
    settingPreview_ = false;

    icon_ = std::make_unique<TIcon>();
    icon_->OnChange = TNotifyEvent(this, &TTrayIcon::IconChanged);

    iconData_ = NOTIFYICONDATAW{};
    iconData_.cbSize = NOTIFYICONDATAW_V2_SIZE;
    iconData_.hWnd = Shared().Window();
    iconData_.uID = iconId_;
    iconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    iconData_.uCallbackMessage = WM_TRAYICON;

    cycleTimer_ = std::make_unique<TSimpleTimer>(this, &TTrayIcon::CycleTick);
    clickTimer_ = std::make_unique<TSimpleTimer>(this, &TTrayIcon::ClickTick);
    exitTimer_ = std::make_unique<TSimpleTimer>(this, &TTrayIcon::ExitTick);

    mouseOutside_ = true;
    ApplyDesignPreview(designPreview_);

    if (!Designing()) {
        if (Application && Application->Handle()) {
            appHook_ = std::make_unique<TWindowSubclass>(
                Application->Handle(),
                [this](UINT m, WPARAM wp, LPARAM lp) { return HookAppProc(m, wp, lp); });
        }
        if (TWinControl* ownerControl = OwnerControl()) {
            ownerHook_ = std::make_unique<TWindowSubclass>(
                ownerControl->Handle(),
                [this](UINT m, WPARAM wp, LPARAM lp) { return HookOwnerProc(m, wp, lp); });
        }
    }
}

TTrayIcon::~TTrayIcon() {
    try {
        SetIconVisible(false);
        ApplyDesignPreview(false);
        cycleTimer_.reset();
        clickTimer_.reset();
        exitTimer_.reset();
    } catch (...) {
        // The hooks and the shared window are released below in any case.
    }
    try {
        icon_.reset();
    } catch (...) {
    }
    appHook_.reset();
    ownerHook_.reset();
    Shared().Leave(iconId_);
}

TTrayIconHandler* TTrayIcon::SharedHandler() { return Shared().Window() ? &Shared() : nullptr; }
UINT TTrayIcon::TaskbarCreatedMessage() { return gTaskbarCreated; }

TTrayIcon* TTrayIcon::FindIcon(UINT id) { return Shared().Find(id); }

void TTrayIcon::SetNotifyFunction(TNotifyFunction function) { NotifyFunction() = std::move(function); }

TWinControl* TTrayIcon::OwnerControl() const { return dynamic_cast<TWinControl*>(Owner()); }

// --- the notification record -------------------------------------------------

BOOL TTrayIcon::Notify(DWORD message) {
    if (NotifyFunction()) return NotifyFunction()(message, iconData_);
    return Shell_NotifyIconW(message, &iconData_);
}

bool TTrayIcon::PrepareIconData() {
    if (Designing() && !settingPreview_ && !designPreview_) return false;
    iconData_.hIcon = icon_ ? icon_->Handle() : nullptr;
    if (!hint_.empty() && showHint_) {
        const std::wstring tip = Widen(hint_);
        std::memset(iconData_.szTip, 0, sizeof(iconData_.szTip));
        wcsncpy(iconData_.szTip, tip.c_str(), 127);
    } else {
        std::memset(iconData_.szTip, 0, sizeof(iconData_.szTip));
    }
    return true;
}

bool TTrayIcon::ShowIcon() {
    if (!settingPreview_) iconVisible_ = true;
    if ((!Designing() || settingPreview_) && PrepareIconData()) return Notify(NIM_ADD) != 0;
    return false;
}

bool TTrayIcon::HideIcon() {
    if (!settingPreview_) iconVisible_ = false;
    if ((!Designing() || settingPreview_) && PrepareIconData()) return Notify(NIM_DELETE) != 0;
    return false;
}

bool TTrayIcon::ModifyIcon() {
    if (PrepareIconData()) return Notify(NIM_MODIFY) != 0;
    return false;
}

void TTrayIcon::IconChanged(TObject*) { ModifyIcon(); }

// --- properties --------------------------------------------------------------

void TTrayIcon::ApplyDesignPreview(bool value) {
    designPreview_ = value;
    settingPreview_ = true;
    if (Designing() && icon_->Empty() && LoadDefaultIcon()) {
        // The stock icon is shared; the icon keeps a copy of its own.
        icon_->SetHandle(CopyIcon(LoadIconW(nullptr, IDI_WINLOGO)));
    }
    SetIconVisible(value);
    settingPreview_ = false;
}

void TTrayIcon::SetDesignPreview(bool value) { ApplyDesignPreview(value); }

void TTrayIcon::SetIconList(TCustomImageList* list) {
    iconList_ = list;
    if (list) list->FreeNotification(this);
    SetIconIndex(0);
}

void TTrayIcon::SetCycleIcons(bool value) {
    cycleIcons_ = value;
    if (value) {
        SetIconIndex(0);
        cycleTimer_->Start(cycleInterval_);
    } else {
        cycleTimer_->Stop();
    }
}

void TTrayIcon::SetCycleInterval(unsigned value) {
    cycleInterval_ = value;
    SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetHint(const std::string& hint) {
    // szTip holds 128 UTF-16 units with the terminator.
    hint_ = TruncateUtf16Units(hint, 127);
    ModifyIcon();
}

void TTrayIcon::SetShowHint(bool value) {
    showHint_ = value;
    ModifyIcon();
}

void TTrayIcon::SetIcon(const TIcon& icon) {
    icon_->OnChange = nullptr;
    icon_->Assign(icon);
    icon_->OnChange = TNotifyEvent(this, &TTrayIcon::IconChanged);
    ModifyIcon();
}

void TTrayIcon::SetIconVisible(bool value) {
    if (value) {
        ShowIcon();
    } else {
        HideIcon();
    }
}

void TTrayIcon::SetIconIndex(int value) {
    if (iconList_) {
        iconIndex_ = value;
        const int count = iconList_->Count();
        if (value >= count) iconIndex_ = count - 1;
        iconList_->GetIcon(iconIndex_, *icon_);
    } else {
        iconIndex_ = 0;
    }
    ModifyIcon();
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu) {
    popupMenu_ = menu;
    if (menu) menu->FreeNotification(this);
}

void TTrayIcon::SetWantEnterExitEvents(bool value) {
    wantEnterExitEvents_ = value;
    if (value) {
        exitTimer_->Start(20);
    } else {
        exitTimer_->Stop();
    }
}

void TTrayIcon::SetCallbackVersion(TCallbackVersion value) {
    callbackVersion_ = value;
    iconData_.uVersion = value == TCallbackVersion::cvShell5 ? NOTIFYICON_VERSION : 0;
    Notify(NIM_SETVERSION);
}

// --- loading -----------------------------------------------------------------

void TTrayIcon::Loaded() {
    TComponent::Loaded();
    if (OwnerControl() && !Designing()) {
        bool showMainForm = true;
        OnStartup(this, showMainForm);
        if (!showMainForm) {
            if (Application) Application->SetShowMainForm(false);
            HideApplicationWindow();
        }
    }
    ModifyIcon();
    SetIconVisible(iconVisible_);
    SetCycleIcons(cycleIcons_);
    SetWantEnterExitEvents(wantEnterExitEvents_);
    SetCallbackVersion(callbackVersion_);
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == iconList_) {
        iconList_ = nullptr;
        SetIconList(nullptr);
    }
    if (component == popupMenu_) popupMenu_ = nullptr;
}

// --- timers --------------------------------------------------------------------

void TTrayIcon::CycleTick(void* data) {
    auto* self = static_cast<TTrayIcon*>(data);
    if (!self->iconList_) return;
    self->iconList_->GetIcon(self->iconIndex_, *self->icon_);
    const int next = self->iconIndex_ < self->iconList_->Count() - 1 ? self->iconIndex_ + 1 : 0;
    self->CycleIcon(next);
    self->SetIconIndex(next);
}

void TTrayIcon::ClickTick(void* data) {
    auto* self = static_cast<TTrayIcon*>(data);
    self->clickTimer_->Stop();
    if (!self->dblClicked_ && self->clickReady_) {
        self->clickReady_ = false;
        self->Click();
    }
    self->dblClicked_ = false;
}

void TTrayIcon::ExitTick(void* data) {
    auto* self = static_cast<TTrayIcon*>(data);
    if (self->mouseOutside_) return;
    const POINT p = CursorPos();
    if (p.x != self->lastMousePos_.x || p.y != self->lastMousePos_.y) {
        self->mouseOutside_ = true;
        self->MouseExit();
    }
}

// --- the shell's callbacks ---------------------------------------------------------

void TTrayIcon::HandleCallback(UINT notification) {
    const TTrayDecoded decoded = DecodeTrayMessage(notification, callbackVersion_);
    if (decoded.gatedByEnabled && !enabled_) return;
    const POINT pos = CursorPos();
    switch (decoded.action) {
        case TTrayAction::MouseMove:
            if (wantEnterExitEvents_ && mouseOutside_) {
                MouseEnter();
                mouseOutside_ = false;
            }
            MouseMove(CurrentShift(0), pos.x, pos.y);
            lastMousePos_ = pos;
            break;
        case TTrayAction::LeftDown:
            if (OnDblClick) clickTimer_->Start(GetDoubleClickTime());
            MouseDown(TMouseButton::mbLeft, CurrentShift(ssLeft), pos.x, pos.y);
            clickStart_ = true;
            if (leftPopup_) PopupAtCursor();
            break;
        case TTrayAction::LeftUp:
            if (clickStart_) clickReady_ = true;
            if (clickStart_ && !clickTimer_->Active()) {
                clickStart_ = false;
                clickReady_ = false;
                Click();
            }
            clickStart_ = false;
            MouseUp(TMouseButton::mbLeft, CurrentShift(ssLeft), pos.x, pos.y);
            break;
        case TTrayAction::LeftDoubleClick:
            clickReady_ = false;
            dblClicked_ = true;
            DblClick();
            InvokeDefaultMenuItem();
            break;
        case TTrayAction::RightDown:
            MouseDown(TMouseButton::mbRight, CurrentShift(ssRight), pos.x, pos.y);
            PopupAtCursor();
            break;
        case TTrayAction::RightUp:
            MouseUp(TMouseButton::mbRight, CurrentShift(ssRight), pos.x, pos.y);
            break;
        case TTrayAction::MiddleDown:
            MouseDown(TMouseButton::mbMiddle, CurrentShift(ssMiddle), pos.x, pos.y);
            break;
        case TTrayAction::MiddleUp:
            MouseUp(TMouseButton::mbMiddle, CurrentShift(ssMiddle), pos.x, pos.y);
            break;
        case TTrayAction::BalloonHide:
            OnBalloonHintHide(this);
            break;
        case TTrayAction::BalloonTimeout:
            OnBalloonHintTimeout(this);
            break;
        case TTrayAction::BalloonClick:
            OnBalloonHintClick(this);
            break;
        case TTrayAction::None:
            break;
    }
}

void TTrayIcon::InvokeDefaultMenuItem() {
    if (!popupMenu_ || !popupMenu_->AutoPopup() || leftPopup_) return;
    TMenuItem* items = popupMenu_->Items();
    for (int i = 0; i < items->Count(); ++i) {
        if (items->Items(i)->Default()) {
            items->Items(i)->Click();
            return;
        }
    }
}

void TTrayIcon::PopupAtCursor() {
    if (!popupMenu_ || !popupMenu_->AutoPopup()) return;
    // The shell's callbacks are handled inside the menu's own loop while it is
    // open: a second press must not open a menu inside the first.
    if (TPopupMenu::AnyOpen()) return;
    POINT p;
    if (!GetCursorPos(&p)) return;
    if (Application) {
        SetForegroundWindow(Application->Handle());
        Application->ProcessMessages();
    }
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(p.x, p.y);
    if (TWinControl* owner = OwnerControl()) PostMessageW(owner->Handle(), WM_NULL, 0, 0);
}

// --- the application window in the tray ------------------------------------------

LRESULT TTrayIcon::HookAppProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED) {
        if (minimizeToTray_) DoMinimizeToTray();
    }
    if (message == WM_WINDOWPOSCHANGED && startupPending_ && Application && Application->MainForm()) {
        TForm* main = Application->MainForm();
        // Only an MDI frame (a main window holding an MDI client) asks again.
        if (main->HandleAllocated() && FindWindowExW(main->Handle(), nullptr, L"MDICLIENT", nullptr)) {
            bool showMainForm = true;
            OnStartup(this, showMainForm);
            if (!showMainForm) HideTaskbarButton();
        }
        startupPending_ = false;
    }
    if (gTaskbarCreated != 0 && message == gTaskbarCreated && iconVisible_) ShowIcon();
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
