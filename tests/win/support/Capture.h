// Test helpers for what a window shows: copying its client area into memory, reading a bitmap's or an
// icon's pixels, and saving a capture as a PNG file for a person to look at.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "Pump.h"
#include "win/Graphics.h"
#include "win/Handles.h"

namespace capture {

// Pixels as 0x00RRGGBB, rows top to bottom.
struct TPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;

    uint32_t At(int x, int y) const {
        return data.at(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x));
    }
    static uint32_t Rgb(COLORREF c) {
        return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
    }
    bool Empty() const { return data.empty(); }
};

// Runs `draw` on a 32-bit memory surface of the given size and returns what
// it drew.
template <class Draw>
TPixels Render(int width, int height, Draw draw) {
    TPixels out;
    uint32_t* bits = nullptr;
    const TUniqueBitmap surface = CreateTopDownDib(width, height, &bits);
    if (!surface) return out;
    const TUniqueDc dc(CreateCompatibleDC(nullptr));
    {
        const TSelectObject select(dc.Get(), surface.Get());
        draw(dc.Get());
        GdiFlush();
    }
    out.width = width;
    out.height = height;
    out.data.assign(bits, bits + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint32_t& p : out.data) p &= 0x00FFFFFF;
    return out;
}

// The same over a background of one colour.
template <class Draw>
TPixels RenderOver(COLORREF background, int width, int height, Draw draw) {
    return Render(width, height, [&](HDC dc) {
        const TUniqueBrush brush(CreateSolidBrush(background));
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, brush.Get());
        draw(dc);
    });
}

// An icon as it draws at size x size, to compare images rather than handles
// (all black for no icon).
inline TPixels IconPixels(HICON icon, int size = 16) {
    return Render(size, size, [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL); });
}

// Repaints the window and its children now (and whatever that posts), then
// copies its client area as the screen shows it.
inline TPixels CaptureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPosted();
    RECT client;
    GetClientRect(window, &client);
    HDC windowDc = GetDC(window);
    TPixels out = Render(client.right, client.bottom, [&](HDC dc) {
        BitBlt(dc, 0, 0, client.right, client.bottom, windowDc, 0, 0, SRCCOPY);
    });
    ReleaseDC(window, windowDc);
    return out;
}

// Where a child window's client area lies in an ancestor's, to find it in a
// capture of the ancestor.
inline RECT ClientRectIn(HWND child, HWND ancestor) {
    RECT r;
    GetClientRect(child, &r);
    MapWindowPoints(child, ancestor, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A bitmap's own pixels, whatever its format.
inline TPixels BitmapPixels(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    return Render(info.bmWidth, height, [&](HDC dc) {
        HDC source = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(dc, 0, 0, info.bmWidth, height, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    });
}

inline size_t DistinctColours(const TPixels& p, const RECT& area) {
    std::set<uint32_t> colours;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) colours.insert(p.At(x, y));
    return colours.size();
}

// Pixels in `area` close to pure red (the link's text).
inline int RedPixels(const TPixels& p, const RECT& area) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const uint32_t c = p.At(x, y);
            if (((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60) ++count;
        }
    }
    return count;
}

// --- PNG: truecolour, 8 bits per channel, zlib "stored" blocks -------------

inline uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

inline void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    PutBig32(out, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBig32(out, Crc32(typed.data(), typed.size()));
}

inline bool WritePng(const std::wstring& path, const TPixels& p) {
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(p.height) * (static_cast<size_t>(p.width) * 3 + 1));
    for (int y = 0; y < p.height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = p.At(x, y);
            raw.push_back(static_cast<uint8_t>(c >> 16));
            raw.push_back(static_cast<uint8_t>(c >> 8));
            raw.push_back(static_cast<uint8_t>(c));
        }
    }
    std::vector<uint8_t> zlib{0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + n >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(n));
        zlib.push_back(static_cast<uint8_t>(n >> 8));
        zlib.push_back(static_cast<uint8_t>(~n));
        zlib.push_back(static_cast<uint8_t>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
        if (last) break;
    }
    PutBig32(zlib, (b << 16) | a);

    std::vector<uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, static_cast<uint32_t>(p.width));
    PutBig32(header, static_cast<uint32_t>(p.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", zlib);
    PutChunk(file, "IEND", {});

    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    const bool ok = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && ok;
}

}  // namespace capture
