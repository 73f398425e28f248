// The tray menu's desktop entries: while the desktop is hidden, every opening
// of the tray menu lists the desktop folder anew below the fixed items, each
// entry with its shell icon, in as many columns as the screen needs; choosing
// one opens it as the shell would. The rules for captions, skipped entries and
// column breaks are in DesktopEntryRules.h.
#pragma once

#include <windows.h>

#include <string>

#include "SysImg/SysImg.h"
#include "win/Forms.h"
#include "win/Menus.h"

class TDesktopEntriesMenu {
public:
    // `owner` is the window that opens what the user chooses.
    TDesktopEntriesMenu(TWinControl* owner, TPopupMenu* menu, TSysImageList* shellIcons);

    // Start-up: the desktop folder from the legacy "Shell Folders" value, or
    // the shell's answer where a profile lacks it.
    void ReadFolder();
    const std::string& Folder() const { return folder_; }
    // Lists another folder from the next opening on ("" lists nothing).
    void UseFolder(std::string folder) { folder_ = std::move(folder); }

    // The menu's popup slot in each desktop state.
    TNotifyEvent ListSlot() { return TNotifyEvent(this, &TDesktopEntriesMenu::List); }
    TNotifyEvent ClearSlot() { return TNotifyEvent(this, &TDesktopEntriesMenu::Clear); }

private:
    void List(TObject* sender);
    void Clear(TObject* sender);
    void Open(TObject* sender);

    TWinControl* owner_;
    TPopupMenu* menu_;
    TSysImageList* shellIcons_;
    std::string folder_;
};
