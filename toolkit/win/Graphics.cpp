#include "win/Graphics.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Exception.h"
#include "win/Application.h"
#include "win/ComHandles.h"
#include "win/SystemLibrary.h"

namespace {
// Loaded with the picture, not at start-up.
TSystemFunction<decltype(CoCreateInstance)> gCoCreateInstance("ole32.dll", "CoCreateInstance");
}  // namespace

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

TUniqueBitmap DecodePngPicture(const void* data, size_t size) {
    if (!data || size > MAXDWORD) return TUniqueBitmap();
    // The imaging component is a COM server: the calling thread needs an
    // apartment, its own or one entered here for the time of the decoding.
    TComApartment apartment;
    TComRef<IWICImagingFactory> factory;
    try {
        if (FAILED(gCoCreateInstance.Get()(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory,
                                           reinterpret_cast<void**>(factory.Receive())))) {
            return TUniqueBitmap();
        }
    } catch (const EWin32Error&) {
        return TUniqueBitmap();
    }
    TComRef<IWICStream> stream;
    TComRef<IWICBitmapDecoder> decoder;
    TComRef<IWICBitmapFrameDecode> frame;
    TComRef<IWICFormatConverter> pixels;
    UINT width = 0, height = 0;
    // The stream reads the bytes where they are (a resource, mapped with the
    // module) and never writes them.
    if (FAILED(factory->CreateStream(stream.Receive())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)),
                                            static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.Receive())) ||
        FAILED(decoder->GetFrame(0, frame.Receive())) ||
        FAILED(factory->CreateFormatConverter(pixels.Receive())) ||
        FAILED(pixels->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr,
                                  0.0, WICBitmapPaletteTypeCustom)) ||
        FAILED(pixels->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x4000 ||
        height > 0x4000) {
        return TUniqueBitmap();
    }
    uint32_t* bits = nullptr;
    TUniqueBitmap bitmap = CreateTopDownDib(static_cast<int>(width), static_cast<int>(height), &bits);
    const UINT stride = width * 4;
    if (!bitmap || !bits ||
        FAILED(pixels->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(bits)))) {
        return TUniqueBitmap();
    }
    return bitmap;
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

TUniqueIcon TwoToneIcon(HICON icon, int size, COLORREF ink, COLORREF paper) {
    TUniqueBitmap drawn = RenderAlphaBitmap(
        size, size, [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL); });
    DIBSECTION section{};
    if (!drawn || !GetObjectW(drawn.Get(), sizeof section, &section)) return TUniqueIcon();
    const auto* pixels = static_cast<const uint32_t*>(section.dsBm.bmBits);  // top-down, premultiplied
    // The icon in the format of an icon resource: a BITMAPINFOHEADER of twice
    // the height, bottom-up 32-bit colours with straight alpha, and the AND
    // mask (set where the icon is transparent), rows padded to 32 bits.
    const size_t count = static_cast<size_t>(size) * static_cast<size_t>(size);
    const size_t maskStride = (static_cast<size_t>(size) + 31) / 32 * 4;
    std::vector<BYTE> resource(sizeof(BITMAPINFOHEADER) + 4 * count + maskStride * static_cast<size_t>(size));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = size;
    header.biHeight = 2 * size;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::memcpy(resource.data(), &header, sizeof header);
    BYTE* colours = resource.data() + sizeof header;
    BYTE* mask = colours + 4 * count;
    const auto mix = [](int inkLevel, int paperLevel, uint32_t shade) {
        return static_cast<BYTE>(
            (inkLevel * static_cast<int>(255 - shade) + paperLevel * static_cast<int>(shade)) / 255);
    };
    for (int row = 0; row < size; ++row) {
        for (int x = 0; x < size; ++x) {
            const uint32_t pixel = pixels[static_cast<size_t>(size - 1 - row) * static_cast<size_t>(size) +
                                          static_cast<size_t>(x)];
            const uint32_t alpha = pixel >> 24;
            BYTE* out =
                colours + 4 * (static_cast<size_t>(row) * static_cast<size_t>(size) + static_cast<size_t>(x));
            if (alpha == 0) {
                mask[static_cast<size_t>(row) * maskStride + static_cast<size_t>(x) / 8] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
                continue;
            }
            const uint32_t shade = std::min<uint32_t>(255, (pixel & 0xFF) * 255 / alpha);
            out[0] = mix(GetBValue(ink), GetBValue(paper), shade);
            out[1] = mix(GetGValue(ink), GetGValue(paper), shade);
            out[2] = mix(GetRValue(ink), GetRValue(paper), shade);
            out[3] = static_cast<BYTE>(alpha);
        }
    }
    return TUniqueIcon(CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()), TRUE,
                                                0x00030000, size, size, LR_DEFAULTCOLOR));
}
