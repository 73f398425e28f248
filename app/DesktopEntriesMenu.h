// The tray menu's desktop entries: while the desktop is hidden, every opening
// of the tray menu lists the desktop folder anew below the fixed items, each
// entry with its shell icon, in as many columns as the screen needs; choosing
// one opens it as the shell would. The rules for captions, skipped entries and
// column breaks are in DesktopEntryRules.h.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "SysImg/SysImg.h"
#include "win/Forms.h"
#include "win/Menus.h"

class TDesktopEntriesMenu {
public:
    // `owner` is the window that opens what the user chooses.
    TDesktopEntriesMenu(TWinControl* owner, TPopupMenu* menu, TSysImageList* shellIcons);

    // The user's desktop folder and the Public Desktop, where the shell keeps
    // them (folder redirection and OneDrive included); the shell's desktop
    // shows both. Asked for when first needed: the shell's answer enters the
    // COM apartment, which start-up leaves alone.
    const std::vector<std::string>& Folders();
    // Lists other folders from the next opening on ("" lists nothing).
    void UseFolders(std::vector<std::string> folders) { folders_ = std::move(folders); }

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
    std::optional<std::vector<std::string>> folders_;
};
