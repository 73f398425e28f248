// Image lists over comctl32's HIMAGELIST. A list either owns its handle or,
// with ShareImages, only borrows it (the shell's system image list).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/Component.h"
#include "win/Graphics.h"

enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };

constexpr COLORREF clNone = 0x1FFFFFFF;

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    HIMAGELIST Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Releases the previous handle (destroyed unless shared), adopts the new
    // one, takes its image size and signals a change.
    void SetHandle(HIMAGELIST handle);
    bool ShareImages() const { return shareImages_; }
    void SetShareImages(bool share) { shareImages_ = share; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;

    COLORREF BkColor() const { return bkColor_; }
    void SetBkColor(COLORREF color);
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

private:
    HIMAGELIST handle_ = nullptr;
    bool shareImages_ = false;
    int width_ = 16, height_ = 16;
    COLORREF bkColor_ = clNone;
    COLORREF blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = TDrawingStyle::dsNormal;
};

// An image list with images of its own.
class TImageList : public TCustomImageList {
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    // Adds a copy of `icon`; returns its index.
    int AddIcon(HICON icon);
    // Adds the icon resource `name` of `module` at the list's size.
    int AddIconResource(HINSTANCE module, const wchar_t* name);
};
