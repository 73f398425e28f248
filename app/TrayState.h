// The desktop's two states as the notification area and the tray menu show
// them. There is no mode variable: the tray icon's click slot is the state
// (it holds the hide handler while the desktop is shown, the show handler
// while it is hidden), and entering a state sets it together with the hint,
// the icon's image, the menu's popup handler and the Show, Hide and Exit
// items.
#pragma once

#include <string>

#include "TrayIcon/TrayIcon.h"
#include "win/ImgList.h"
#include "win/Menus.h"

class TTrayState {
public:
    struct TParts {
        TTrayIcon* icon;
        TCustomImageList* images;  // image 0: desktop shown, 1: hidden
        TPopupMenu* menu;
        TMenuItem* showItem;
        TMenuItem* hideItem;
        TMenuItem* exitItem;
    };
    // What the click slot and the menu's popup slot hold in each state.
    struct TSlots {
        TNotifyEvent hide, show, listEntries, clearEntries;
    };
    explicit TTrayState(TParts parts) : parts_(parts) {}
    void SetSlots(TSlots slots) { slots_ = slots; }

    void Enter(bool hidden);
    bool Hidden() const { return parts_.icon->OnClick == slots_.show; }
    // Counts the states entered: a role that acted can tell whether anything
    // else changed the desktop since.
    unsigned Changes() const { return changes_; }
    // The hint and image of the shown state, as start-up sets them first.
    void ShowStartingLook();

private:
    void ShowLook(bool hidden);
    TParts parts_;
    TSlots slots_;
    unsigned changes_ = 0;
};
