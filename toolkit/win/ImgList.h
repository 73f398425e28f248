// Image lists. A list of the program's own pictures (TImageList) keeps them
// as icons and draws them with user32; a list bound to one that somebody else
// keeps (the shell's system image list, a comctl32 HIMAGELIST) borrows its
// handle and never destroys it. comctl32 is loaded only when a borrowed list
// is first used, and by then the shell has loaded it to make that list: a
// program whose only image list is its own doesn't load it at all.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "core/Component.h"
#include "win/Graphics.h"
#include "win/Handles.h"

enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };

constexpr COLORREF clNone = 0x1FFFFFFF;

// An image list that someone else owns and destroys; this side only uses it.
class TBorrowedImageList {
public:
    explicit TBorrowedImageList(HIMAGELIST handle) : handle_(handle) {}
    HIMAGELIST Get() const { return handle_; }

private:
    HIMAGELIST handle_;
};

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    HIMAGELIST Handle() const {
        HandleNeeded();
        return handle_;
    }
    bool HandleAllocated() const { return Handle() != nullptr; }

    int Width() const {
        HandleNeeded();
        return width_;
    }
    int Height() const {
        HandleNeeded();
        return height_;
    }
    virtual int Count() const;

    // Background, blend colour and style of Draw (clNone: none). The blend
    // colour and the focus and selected styles apply to a borrowed list only.
    COLORREF BkColor() const { return bkColor_; }
    void SetBkColor(COLORREF color) { bkColor_ = color; }
    COLORREF BlendColor() const { return blendColor_; }
    void SetBlendColor(COLORREF color) { blendColor_ = color; }
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle style) { drawingStyle_ = style; }

    // Copies image `index` into `icon` (through its change notification).
    virtual void GetIcon(int index, TIcon& icon) const;
    // Sizes `bitmap` to the image size and draws image `index` onto it, with
    // its transparency kept as per-pixel alpha.
    void GetBitmap(int index, TBitmap& bitmap) const;
    virtual void Draw(HDC dc, int x, int y, int index) const;

    TNotifyEvent OnChange;

protected:
    void Change() { OnChange(this); }
    // Release the previous list (never destroyed: it is borrowed), adopt the
    // new one, take its image size and signal a change (unless told not to).
    void SetHandle(TBorrowedImageList list, bool signal = true);
    // The image size of a list with pictures of its own.
    void SetImageSize(int width, int height) { width_ = width, height_ = height; }
    // Runs before anything uses the list: a list that binds its handle on
    // first use rather than when it is made binds here.
    virtual void HandleNeeded() const {}

private:
    HIMAGELIST handle_ = nullptr;  // a borrowed list
    int width_ = 16, height_ = 16;
    COLORREF bkColor_ = clNone;
    COLORREF blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = TDrawingStyle::dsNormal;
};

// An image list with images of its own, kept as icons of the list's size.
class TImageList : public TCustomImageList {
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    // Starts the list afresh, empty, with images of the given size.
    void SetSize(int width, int height);
    // Adds a copy of `icon` at the list's size; returns its index, -1 when
    // the icon can't be copied.
    int AddIcon(HICON icon);
    // Adds the icon resource `name` of `module` at the list's size.
    int AddIconResource(HINSTANCE module, const wchar_t* name);

    int Count() const override { return static_cast<int>(icons_.size()); }
    void GetIcon(int index, TIcon& icon) const override;
    void Draw(HDC dc, int x, int y, int index) const override;

private:
    int Add(TUniqueIcon icon);

    std::vector<TUniqueIcon> icons_;
};
