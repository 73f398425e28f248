// TTrayIcon: the shared window, the component's life, its properties and the
// notification record it keeps and re-sends to the shell. The shell's mouse
// callbacks and click timing are in TrayIconClicks.cpp, the application
// window's hooks and minimising to the tray in TrayIconAppWindow.cpp.
#include "TrayIcon/TrayIcon.h"

#include <algorithm>
#include <cwchar>

#include "core/Exception.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/Forms.h"
#include "win/ImgList.h"
#include "win/Menus.h"

LRESULT HandleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

TTrayIconHandler& Shared() {
    static TTrayIconHandler shared(&HandleTrayMessage);
    return shared;
}

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& data) { return Shell_NotifyIconW(message, &data); }
HRESULT NotifyIconRect(const NOTIFYICONIDENTIFIER& icon, RECT& where) {
    return Shell_NotifyIconGetRect(&icon, &where);
}

}  // namespace

TSeam<BOOL(DWORD, NOTIFYICONDATAW&)> NotifyIconSeam(&NotifyIcon);
TSeam<HRESULT(const NOTIFYICONIDENTIFIER&, RECT&)> NotifyIconRectSeam(&NotifyIconRect);

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
    addRetryTimer_ = std::make_unique<TSimpleTimer>(this, &TTrayIcon::AddRetryTick);

    mouseOutside_ = true;
    // The notification area is asked to forget this window and identifier
    // before the icon is first shown. It holds no such icon (identifiers are
    // never reused) and refuses, which is reported like any refused call;
    // the request stays so that the shell sees the calls it always has.
    HideIcon();

    HookWindows();
}

TTrayIcon::~TTrayIcon() {
    try {
        SetIconVisible(false);
        // A second removal, which the shell refuses once the first has gone
        // through; kept so that the shell sees the calls it always has.
        HideIcon();
        cycleTimer_.reset();
        clickTimer_.reset();
        exitTimer_.reset();
        addRetryTimer_.reset();
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

TTrayIcon* TTrayIcon::FindIcon(UINT id) { return Shared().Find(id); }

TWinControl* TTrayIcon::OwnerControl() const { return dynamic_cast<TWinControl*>(Owner()); }

// --- the notification record -------------------------------------------------

BOOL TTrayIcon::Notify(DWORD message) {
    const BOOL done = NotifyIconSeam(message, iconData_);
    NoteNotifyResult(message, done);
    if (!done) {
        static const char* const kCalls[] = {
            "Shell_NotifyIconW(NIM_ADD)", "Shell_NotifyIconW(NIM_MODIFY)", "Shell_NotifyIconW(NIM_DELETE)",
            "Shell_NotifyIconW(NIM_SETFOCUS)", "Shell_NotifyIconW(NIM_SETVERSION)"};
        ReportIgnoredFailure(message < std::size(kCalls) ? kCalls[message] : "Shell_NotifyIconW",
                             GetLastError());
    }
    return done;
}

namespace {
constexpr int kAddRetries = 60;
constexpr unsigned kFirstAddRetryMs = 500, kLongestAddRetryMs = 8000;
}  // namespace

void TTrayIcon::NoteNotifyResult(DWORD message, BOOL done) {
    if (message == NIM_ADD && done) {
        added_ = true;
    } else if (message == NIM_ADD && !added_ && iconVisible_) {
        // Refused while the icon is not there: the notification area is not
        // ready. (Refused while it is there, the add was only a repeat.)
        if (!addRetryTimer_->Active()) {
            addRetries_ = 0;
            addRetryTimer_->Start(kFirstAddRetryMs);
        }
        return;
    } else if (message == NIM_DELETE) {
        added_ = false;
    } else {
        return;
    }
    addRetryTimer_->Stop();
}

void TTrayIcon::AddRetryTick(void* data) {
    auto* self = static_cast<TTrayIcon*>(data);
    TSimpleTimer& timer = *self->addRetryTimer_;
    if (!self->iconVisible_ || self->added_ || ++self->addRetries_ > kAddRetries) {
        timer.Stop();
        return;
    }
    timer.Start(std::min(kFirstAddRetryMs << std::min(self->addRetries_, 4), kLongestAddRetryMs));
    self->PrepareIconData();
    // An add that timed out may have reached the notification area all the
    // same: then the icon takes a modify, with the image and hint of now.
    if (self->Notify(NIM_MODIFY)) {
        self->added_ = true;
        timer.Stop();
        return;
    }
    self->Notify(NIM_ADD);
}

void TTrayIcon::PrepareIconData() {
    iconData_.hIcon = icon_ ? icon_->Handle() : nullptr;
    if (!hint_.empty() && showHint_) {
        const std::wstring tip = Widen(hint_);
        std::memset(iconData_.szTip, 0, sizeof(iconData_.szTip));
        wcsncpy(iconData_.szTip, tip.c_str(), 127);
    } else {
        std::memset(iconData_.szTip, 0, sizeof(iconData_.szTip));
    }
}

bool TTrayIcon::ShowIcon() {
    iconVisible_ = true;
    PrepareIconData();
    return Notify(NIM_ADD) != 0;
}

bool TTrayIcon::HideIcon() {
    iconVisible_ = false;
    PrepareIconData();
    return Notify(NIM_DELETE) != 0;
}

bool TTrayIcon::ModifyIcon() {
    PrepareIconData();
    return Notify(NIM_MODIFY) != 0;
}

void TTrayIcon::IconChanged(TObject*) { ModifyIcon(); }

// --- properties --------------------------------------------------------------

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
    if (OwnerControl()) {
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

// --- icon cycling --------------------------------------------------------------------

void TTrayIcon::CycleTick(void* data) {
    auto* self = static_cast<TTrayIcon*>(data);
    if (!self->iconList_) return;
    self->iconList_->GetIcon(self->iconIndex_, *self->icon_);
    const int next = self->iconIndex_ < self->iconList_->Count() - 1 ? self->iconIndex_ + 1 : 0;
    self->CycleIcon(next);
    self->SetIconIndex(next);
}
