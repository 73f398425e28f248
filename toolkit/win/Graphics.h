// Icons and bitmaps that own their image handle and announce changes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/Events.h"
#include "win/Handles.h"

class TIcon : public TObject {
public:
    TIcon() = default;
    // The icon handle; nullptr while the icon is empty.
    HICON Handle() const { return icon_.Get(); }
    bool Empty() const { return !icon_; }
    // Takes ownership of `icon` (nullptr empties the icon), then Changed.
    void SetHandle(HICON icon);
    // Copies another icon's image (an independent handle), then Changed.
    void Assign(const TIcon& source);
    // Loads an icon resource of the program at the given size.
    void LoadFromResource(HINSTANCE module, const wchar_t* name, int size);

    TNotifyEvent OnChange;

protected:
    void Changed() { OnChange(this); }

private:
    TUniqueIcon icon_;
};

class TBitmap : public TObject {
public:
    TBitmap() = default;
    HBITMAP Handle() const { return bitmap_.Get(); }
    bool Empty() const { return !bitmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Takes ownership of a bitmap of the given size.
    void SetHandle(HBITMAP bitmap, int width, int height);
    void Clear() { SetHandle(nullptr, 0, 0); }

private:
    TUniqueBitmap bitmap_;
    int width_ = 0, height_ = 0;
};

// A 32-bit top-down DIB section holding the picture that `size` bytes of a
// PNG file make, decoded by the Windows Imaging Component; null when the data
// does not decode (or COM, or the component, is not there).
TUniqueBitmap DecodePngPicture(const void* data, size_t size);

// A 32-bit top-down DIB section; `bits`, if given, receives its pixels.
TUniqueBitmap CreateTopDownDib(int width, int height, uint32_t** bits = nullptr);

// Renders `draw` into a 32-bit top-down DIB with per-pixel alpha
// (premultiplied, as menus and AlphaBlend want it). The drawing is done twice,
// over black and over white, and alpha is taken from the difference, so
// anything that draws with GDI, image lists included, keeps its soft edges.
TUniqueBitmap RenderAlphaBitmap(int width, int height, const std::function<void(HDC)>& draw);

// A copy of an icon drawn in two colours at `size` pixels: each pixel's shade
// of grey (black to white) becomes the same mix of `ink` and `paper`, its
// transparency stays. For pictures drawn in black ink on white paper.
TUniqueIcon TwoToneIcon(HICON icon, int size, COLORREF ink, COLORREF paper);
