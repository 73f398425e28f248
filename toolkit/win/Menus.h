// Menu items and popup menus. Items form a tree of components; a popup menu
// builds a fresh HMENU from its tree each time it is shown and destroys it
// when the menu closes, so items can be inserted and destroyed freely between
// openings (even in the on-popup slot, just before the menu shows).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/Component.h"
#include "win/Graphics.h"
#include "win/Handles.h"

class TCustomImageList;
class TPopupMenu;

using TShortCut = unsigned short;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(WORD key, TShortCut modifiers);
// "Ctrl+F12" and the like; empty for 0.
std::string ShortCutToText(TShortCut shortCut);

enum class TMenuBreak { mbNone, mbBreak, mbBarBreak };

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool IsLine() const { return caption_ == "-"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked) { checked_ = checked; }
    // At most one item of a menu level is the default: setting the flag clears
    // it on the siblings.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    TShortCut ShortCutKey() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; }
    // Shown as the shortcut instead of ShortCutKey's text when not empty: a
    // key the shortcut type can't hold (with Win, say).
    const std::string& ShortCutText() const { return shortCutText_; }
    void SetShortCutText(std::string text) { shortCutText_ = std::move(text); }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index) { imageIndex_ = index; }
    TMenuBreak Break() const { return break_; }
    void SetBreak(TMenuBreak value) { break_ = value; }
    // The item's own picture, drawn instead of an image-list image.
    TBitmap& Bitmap() { return bitmap_; }
    const TBitmap& Bitmap() const { return bitmap_; }

    TNotifyEvent OnClick;
    // Fires OnClick, as choosing the item from a menu does.
    virtual void Click();

    // Sub-items.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const;
    void Insert(int index, TMenuItem* item);
    void Add(TMenuItem* item) { Insert(Count(), item); }
    // Takes an item out of this level without destroying it.
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;
    // The menu this item belongs to (through its parents), if any.
    TPopupMenu* Menu() const;

private:
    friend class TPopupMenu;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    bool default_ = false;
    TShortCut shortCut_ = 0;
    std::string shortCutText_;
    int imageIndex_ = -1;
    TMenuBreak break_ = TMenuBreak::mbNone;
    TBitmap bitmap_;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TPopupMenu* menu_ = nullptr;  // set on the root item only
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return items_; }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* images);
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }
    // Unfold from the bottom up (the menu's animation direction).
    bool BottomToTop() const { return bottomToTop_; }
    void SetBottomToTop(bool value) { bottomToTop_ = value; }
    // The component that asked for the menu (the tray icon).
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* component) { popupComponent_ = component; }

    TNotifyEvent OnPopup;

    // Fires OnPopup, shows the menu at the screen position and returns when it
    // has closed; the chosen item's click then runs. A call while this or
    // another popup menu is open does nothing.
    void Popup(int x, int y);
    // The menu handle while the menu is open, else nullptr.
    HMENU Handle() const { return open_ ? handle_.Get() : nullptr; }
    bool IsOpen() const { return open_; }
    // True while any popup menu of the process is open.
    static bool AnyOpen();

    // Which items of a level are shown: visible items, with separators tidied
    // (none first or last, and of a run of separators only the last).
    static std::vector<TMenuItem*> ShownItems(const TMenuItem* level);

    void Notification(TComponent* component, TOperation operation) override;

private:
    HMENU BuildLevel(const TMenuItem* level, std::vector<TMenuItem*>& commands,
                     std::vector<TUniqueBitmap>& pictures) const;

    TMenuItem* items_;
    TCustomImageList* images_ = nullptr;
    bool autoPopup_ = true;
    bool bottomToTop_ = false;
    TComponent* popupComponent_ = nullptr;
    TUniqueMenu handle_;
    bool open_ = false;
};
