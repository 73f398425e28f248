#include "win/Menus.h"

#include <algorithm>

#include "core/Utf.h"
#include "win/Application.h"
#include "win/ImgList.h"
#include "win/Window.h"

namespace {
int gOpenMenus = 0;
}

TShortCut ShortCut(WORD key, TShortCut modifiers) { return static_cast<TShortCut>((key & 0xFF) | modifiers); }

std::string ShortCutToText(TShortCut shortCut) {
    if (!shortCut) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    const WORD key = shortCut & 0xFF;
    if (key >= VK_F1 && key <= VK_F24) {
        text += 'F';
        text += std::to_string(key - VK_F1 + 1);
    } else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        text += static_cast<char>(key);
    } else {
        wchar_t name[64] = {};
        const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        if (GetKeyNameTextW(static_cast<LONG>(scan) << 16, name, 64) > 0) text += Narrow(name);
    }
    return text;
}

// --- TMenuItem ---------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    // Sub-items go with their parent, wherever they are owned.
    while (!items_.empty()) {
        TMenuItem* child = items_.back();
        items_.pop_back();
        child->parent_ = nullptr;
        TComponent::Free(child);
    }
    if (parent_) parent_->Remove(this);
}

void TMenuItem::SetDefault(bool isDefault) {
    if (isDefault && parent_) {
        for (TMenuItem* sibling : parent_->items_) sibling->default_ = false;
    }
    default_ = isDefault;
}

void TMenuItem::Click() { OnClick(this); }

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (item->parent_) item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TPopupMenu* TMenuItem::Menu() const {
    const TMenuItem* item = this;
    while (item->parent_) item = item->parent_;
    return item->menu_;
}

// --- TPopupMenu --------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {
    items_->menu_ = this;
}

TPopupMenu::~TPopupMenu() = default;  // the root item is owned, and with it its tree

void TPopupMenu::SetImages(TCustomImageList* images) {
    images_ = images;
    if (images) images->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        if (component == images_) images_ = nullptr;
        if (component == popupComponent_) popupComponent_ = nullptr;
        if (component == items_) items_ = nullptr;
    }
}

bool TPopupMenu::AnyOpen() { return gOpenMenus > 0; }

std::vector<TMenuItem*> TPopupMenu::ShownItems(const TMenuItem* level) {
    std::vector<TMenuItem*> shown;
    for (TMenuItem* item : level->items_) {
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            // No separator first; of a run of separators only the last stays.
            if (shown.empty()) continue;
            if (shown.back()->IsLine()) shown.pop_back();
        }
        shown.push_back(item);
    }
    if (!shown.empty() && shown.back()->IsLine()) shown.pop_back();
    return shown;
}

namespace {

// Menus take "&" as the mark of an access key; captions are shown as set.
std::wstring MenuText(const TMenuItem* item) {
    std::wstring text;
    for (wchar_t c : Widen(item->Caption())) {
        if (c == L'&') text += L'&';
        text += c;
    }
    const std::string shortCut =
        item->ShortCutText().empty() ? ShortCutToText(item->ShortCutKey()) : item->ShortCutText();
    if (!shortCut.empty()) text += L"\t" + Widen(shortCut);
    return text;
}

}  // namespace

HMENU TPopupMenu::BuildLevel(const TMenuItem* level, std::vector<TMenuItem*>& commands,
                             std::vector<TUniqueBitmap>& pictures) const {
    TUniqueMenu menu(CreatePopupMenu());
    UINT position = 0;
    for (TMenuItem* item : ShownItems(level)) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
        if (item->Break() == TMenuBreak::mbBreak) info.fType |= MFT_MENUBREAK;
        if (item->Break() == TMenuBreak::mbBarBreak) info.fType |= MFT_MENUBARBREAK;
        std::wstring text;
        if (item->IsLine()) {
            info.fType |= MFT_SEPARATOR;
        } else {
            text = MenuText(item);
            info.fMask |= MIIM_STRING;
            info.dwTypeData = text.data();
            if (!item->Enabled()) info.fState |= MFS_DISABLED;
            if (item->Checked()) info.fState |= MFS_CHECKED;
            if (item->Default()) info.fState |= MFS_DEFAULT;
            commands.push_back(item);
            info.wID = static_cast<UINT>(commands.size());  // 0 means "dismissed"
            if (!item->Bitmap().Empty()) {
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = item->Bitmap().Handle();
            } else if (images_ && item->ImageIndex() >= 0 && item->ImageIndex() < images_->Count()) {
                const int index = item->ImageIndex();
                TUniqueBitmap picture = RenderAlphaBitmap(images_->Width(), images_->Height(),
                                                          [&](HDC dc) { images_->Draw(dc, 0, 0, index); });
                if (picture) {
                    info.fMask |= MIIM_BITMAP;
                    info.hbmpItem = picture.Get();
                    pictures.push_back(std::move(picture));
                }
            }
            if (item->Count() > 0) {
                info.fMask |= MIIM_SUBMENU;
                // The submenu handle passes to the parent menu, which destroys it.
                info.hSubMenu = BuildLevel(item, commands, pictures);
            }
        }
        InsertMenuItemW(menu.Get(), position++, TRUE, &info);
    }
    return menu.Release();
}

void TPopupMenu::Popup(int x, int y) {
    if (open_ || gOpenMenus > 0) return;
    OnPopup(this);
    if (!items_) return;
    std::vector<TMenuItem*> commands;
    std::vector<TUniqueBitmap> pictures;
    handle_.Reset(BuildLevel(items_, commands, pictures));

    // The owner must be the foreground window for the menu to close when the
    // user clicks elsewhere: the tray icon makes the application window the
    // foreground window before it asks for the menu.
    HWND owner = Application ? Application->Handle() : GetForegroundWindow();
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_NONOTIFY;
    flags |= bottomToTop_ ? TPM_VERNEGANIMATION : TPM_VERPOSANIMATION;
    open_ = true;
    ++gOpenMenus;
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(handle_.Get(), flags, x, y, owner, nullptr));
    --gOpenMenus;
    open_ = false;
    handle_.Reset();
    pictures.clear();
    if (command >= 1 && command <= commands.size()) {
        TMenuItem* chosen = commands[command - 1];
        GuardBoundary([&] { chosen->Click(); });
    }
}
