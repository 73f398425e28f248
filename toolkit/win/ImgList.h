// Image lists over comctl32's HIMAGELIST. Whether a list owns its handle is
// said by the handle's type: a TUniqueImageList is destroyed with the
// component, a TBorrowedImageList (the shell's system image list) never is.
#pragma once

#include <windows.h>
#include <commctrl.h>

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
    int Count() const;

    // Background, blend colour and style of Draw (clNone: none).
    COLORREF BkColor() const { return bkColor_; }
    void SetBkColor(COLORREF color) { bkColor_ = color; }
    COLORREF BlendColor() const { return blendColor_; }
    void SetBlendColor(COLORREF color) { blendColor_ = color; }
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle style) { drawingStyle_ = style; }

    // Copies image `index` into `icon` (through its change notification).
    void GetIcon(int index, TIcon& icon) const;
    // Sizes `bitmap` to the image size and draws image `index` onto it, with
    // its transparency kept as per-pixel alpha.
    void GetBitmap(int index, TBitmap& bitmap) const;
    void Draw(HDC dc, int x, int y, int index) const;

    TNotifyEvent OnChange;

protected:
    void Change() { OnChange(this); }
    // Release the previous list (destroyed only if it was owned), adopt the
    // new one, take its image size and signal a change (unless told not to).
    void SetHandle(TUniqueImageList list);
    void SetHandle(TBorrowedImageList list, bool signal = true);
    // Runs before anything uses the list: a list that binds its handle on
    // first use rather than when it is made binds here.
    virtual void HandleNeeded() const {}

private:
    void Adopt(HIMAGELIST handle, bool signal);

    TUniqueImageList owned_;
    HIMAGELIST handle_ = nullptr;  // owned_'s list, or a borrowed one
    int width_ = 16, height_ = 16;
    COLORREF bkColor_ = clNone;
    COLORREF blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = TDrawingStyle::dsNormal;
};

// An image list with images of its own.
class TImageList : public TCustomImageList {
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    // Starts the list afresh, empty, with images of the given size.
    void SetSize(int width, int height);
    // Adds a copy of `icon`; returns its index.
    int AddIcon(HICON icon);
    // Adds the icon resource `name` of `module` at the list's size.
    int AddIconResource(HINSTANCE module, const wchar_t* name);
};
