// TTrayIcon: the shell's mouse callbacks turned into events, with the timing
// that tells a click from a double click and notices the cursor leaving.
#include "TrayIcon/TrayIcon.h"

#include "win/Application.h"
#include "win/Forms.h"
#include "win/Menus.h"

namespace {

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

// --- click and exit timing ---------------------------------------------------

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
    // With the first callback version the shell reports Enter, Space and
    // Shift+F10 on the focused icon (Win+B, the arrows) as a right click:
    // one that comes with the pointer away from the icon came from the
    // keyboard. Its menu opens at the icon, and focus goes back to the
    // notification area when it closes.
    NOTIFYICONIDENTIFIER identifier{};
    identifier.cbSize = sizeof identifier;
    identifier.hWnd = iconData_.hWnd;
    identifier.uID = iconData_.uID;
    RECT icon{};
    const bool fromKeyboard = SUCCEEDED(NotifyIconRectSeam(identifier, icon)) && !PtInRect(&icon, p);
    if (fromKeyboard) p = POINT{icon.left, icon.top};
    if (Application) {
        SetForegroundWindow(Application->Handle());
        Application->ProcessMessages();
    }
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(p.x, p.y);
    if (TWinControl* owner = OwnerControl()) PostMessageW(owner->Handle(), WM_NULL, 0, 0);
    if (fromKeyboard) Notify(NIM_SETFOCUS);
}
