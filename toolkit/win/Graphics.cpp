#include "win/Graphics.h"

#include <cstdint>
#include <vector>

void TIcon::SetHandle(HICON icon) {
    icon_.Reset(icon);
    Changed();
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) return;
    icon_.Reset(source.Empty() ? nullptr : CopyIcon(source.Handle()));
    Changed();
}

void TIcon::LoadFromResource(HINSTANCE module, const wchar_t* name, int size) {
    SetHandle(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

void TBitmap::SetHandle(HBITMAP bitmap, int width, int height) {
    bitmap_.Reset(bitmap);
    width_ = bitmap ? width : 0;
    height_ = bitmap ? height : 0;
}

TUniqueBitmap CreateTopDownDib(int width, int height, uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* raw = nullptr;
    TUniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0));
    if (bits) *bits = static_cast<uint32_t*>(raw);
    return bitmap;
}

TUniqueBitmap RenderAlphaBitmap(int width, int height, const std::function<void(HDC)>& draw) {
    if (width <= 0 || height <= 0) return TUniqueBitmap();
    TUniqueDc dc(CreateCompatibleDC(nullptr));
    uint32_t* onBlack = nullptr;
    uint32_t* onWhite = nullptr;
    TUniqueBitmap black = CreateTopDownDib(width, height, &onBlack);
    TUniqueBitmap white = CreateTopDownDib(width, height, &onWhite);
    if (!black || !white) return TUniqueBitmap();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) onBlack[i] = 0x00000000, onWhite[i] = 0x00FFFFFF;
    {
        TSelectObject select(dc.Get(), black.Get());
        draw(dc.Get());
    }
    {
        TSelectObject select(dc.Get(), white.Get());
        draw(dc.Get());
    }
    GdiFlush();
    // Over black a pixel shows alpha*colour; over white alpha*colour + (1-alpha)*255.
    for (size_t i = 0; i < count; ++i) {
        const uint32_t b = onBlack[i], w = onWhite[i];
        uint32_t alpha = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int cb = static_cast<int>((b >> shift) & 0xFF);
            const int cw = static_cast<int>((w >> shift) & 0xFF);
            alpha += static_cast<uint32_t>(255 - (cw - cb < 0 ? 0 : cw - cb));
        }
        alpha /= 3;
        uint32_t px = alpha << 24;
        for (int shift = 0; shift < 24; shift += 8) {
            uint32_t c = (b >> shift) & 0xFF;
            if (c > alpha) c = alpha;  // premultiplied: never brighter than alpha
            px |= c << shift;
        }
        onBlack[i] = px;
    }
    return black;
}
