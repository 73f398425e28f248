#include "win/ExtCtrls.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Exception.h"
#include "core/Rle8.h"

// --- TPanel ------------------------------------------------------------------

TPanel::TPanel(TComponent* owner) : TWinControl(owner), color_(GetSysColor(COLOR_BTNFACE)) {}

void TPanel::SetAlign(TAlign align) {
    align_ = align;
    Realign();
}

void TPanel::SetBevelInner(TBevelCut cut) {
    bevelInner_ = cut;
    Redraw();
}

void TPanel::SetBevelOuter(TBevelCut cut) {
    bevelOuter_ = cut;
    Redraw();
}

void TPanel::SetBevelWidth(int width) {
    bevelWidth_ = width < 1 ? 1 : width;
    Redraw();
}

void TPanel::SetColor(COLORREF color) {
    color_ = color;
    Redraw();
}

void TPanel::SetParent(TWinControl* parent) {
    TWinControl::SetParent(parent);
    Realign();
}

void TPanel::Realign() {
    if (align_ != TAlign::alClient || !parent_) return;
    int width = parent_->Width(), height = parent_->Height();
    if (parent_->HandleAllocated()) {
        RECT client;
        GetClientRect(parent_->Handle(), &client);
        width = MulDiv(client.right, 96, parent_->Dpi());
        height = MulDiv(client.bottom, 96, parent_->Dpi());
    }
    SetBounds(0, 0, width, height);
}

void TPanel::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    FitToParent();
}

void TPanel::DpiChanged() {
    TWinControl::DpiChanged();
    FitToParent();
}

void TPanel::FitToParent() {
    // Bounds kept at 96 DPI scale edge by edge, so at other DPIs the scaled
    // size can miss the parent's by a pixel: an aligned panel takes the
    // parent's client area exactly, in pixels.
    if (align_ != TAlign::alClient || !parent_ || !HandleAllocated() || !parent_->HandleAllocated()) return;
    RECT client;
    GetClientRect(parent_->Handle(), &client);
    SetWindowPos(WindowHandle(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPanel::Redraw() {
    if (HandleAllocated()) InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void TPanel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = L"TPanel";
}

void TPanel::CreateHandle() {
    Realign();
    TWinControl::CreateHandle();
    FitToParent();
}

bool TPanel::Dispatch(TMessage& m) { return ReflectControlMessage(*this, m); }

void TPanel::PaintBackground(HDC dc, const RECT& client) {
    TUniqueBrush brush(CreateSolidBrush(color_));
    FillRect(dc, &client, brush.Get());
    RECT r = client;
    const int width = Scale(bevelWidth_);
    if (bevelOuter_ != TBevelCut::bvNone) DrawBevel(dc, r, bevelOuter_, width);
    if (bevelInner_ != TBevelCut::bvNone) DrawBevel(dc, r, bevelInner_, width);
}

void DrawBevel(HDC dc, RECT& r, TBevelCut cut, int width) {
    if (cut == TBevelCut::bvNone) return;
    if (cut != TBevelCut::bvSpace) {
        const bool raised = cut == TBevelCut::bvRaised;
        HBRUSH light = GetSysColorBrush(raised ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
        HBRUSH dark = GetSysColorBrush(raised ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
        RECT ring = r;
        for (int i = 0; i < width && ring.right > ring.left && ring.bottom > ring.top; ++i) {
            // One ring: the light side owns the top left corner, the dark side
            // the other three.
            const RECT left{ring.left, ring.top, ring.left + 1, ring.bottom - 1};
            const RECT top{ring.left, ring.top, ring.right - 1, ring.top + 1};
            const RECT right{ring.right - 1, ring.top, ring.right, ring.bottom};
            const RECT bottom{ring.left, ring.bottom - 1, ring.right, ring.bottom};
            FillRect(dc, &left, light);
            FillRect(dc, &top, light);
            FillRect(dc, &right, dark);
            FillRect(dc, &bottom, dark);
            InflateRect(&ring, -1, -1);
        }
    }
    InflateRect(&r, -width, -width);
}

// --- TImage ------------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {}

namespace {

// Where the parts of a bitmap resource lie, once its header has been read.
struct TBitmapLayout {
    BITMAPINFOHEADER header{};
    uint32_t width = 0;
    uint32_t height = 0;   // rows, either way up
    uint64_t colours = 0;  // entries of the colour table, masks included
    uint64_t bitsOffset = 0;
};

// False when the header is not one that a bitmap resource may have: a
// BITMAPINFOHEADER (or a later, larger one) with a size, one plane, a depth
// GDI knows and uncompressed rows, or 8-bit run lengths (bottom-up only).
bool ReadBitmapLayout(const void* data, DWORD size, TBitmapLayout& layout) {
    if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER& header = layout.header;
    std::memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size || header.biWidth <= 0 ||
        header.biHeight == 0 || header.biHeight == INT32_MIN || header.biPlanes != 1) {
        return false;
    }
    layout.width = static_cast<uint32_t>(header.biWidth);
    layout.height = static_cast<uint32_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    const unsigned bits = header.biBitCount;
    const bool bitFields = header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
    const bool runLengths = header.biCompression == BI_RLE8 && bits == 8 && header.biHeight > 0;
    if (header.biCompression != BI_RGB && !bitFields && !runLengths) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    layout.colours = header.biClrUsed;
    if (layout.colours == 0 && bits <= 8) layout.colours = uint64_t{1} << bits;
    // The three colour masks follow a plain BITMAPINFOHEADER.
    if (bitFields && header.biSize == sizeof(BITMAPINFOHEADER)) layout.colours += 3;
    layout.bitsOffset = header.biSize + layout.colours * sizeof(RGBQUAD);
    return layout.bitsOffset <= size;
}

bool IsRunLengthBitmap(const void* data, DWORD size) {
    TBitmapLayout layout;
    return ReadBitmapLayout(data, size, layout) && layout.header.biCompression == BI_RLE8;
}

// A DIB section holding a run-length encoded bitmap resource, decoded; null
// when the resource is not one or is damaged.
TUniqueBitmap DecodeRunLengthBitmap(const void* data, DWORD size) {
    TBitmapLayout layout;
    if (!ReadBitmapLayout(data, size, layout) || layout.header.biCompression != BI_RLE8)
        return TUniqueBitmap();
    const auto* bytes = static_cast<const uint8_t*>(data);
    // The same bitmap uncompressed: a plain header and the colour table.
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + layout.colours * sizeof(RGBQUAD));
    BITMAPINFOHEADER header = layout.header;
    header.biSize = sizeof header;
    header.biCompression = BI_RGB;
    header.biSizeImage = 0;
    std::memcpy(info.data(), &header, sizeof header);
    std::memcpy(info.data() + sizeof header, bytes + layout.header.biSize, info.size() - sizeof header);
    void* pixels = nullptr;
    TUniqueBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                          DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap || !pixels) return TUniqueBitmap();
    const size_t stride = (size_t{layout.width} + 3) & ~size_t{3};
    std::memset(pixels, 0, stride * layout.height);
    if (!DecodeRle8(bytes + layout.bitsOffset, size - layout.bitsOffset, layout.width, layout.height,
                    static_cast<uint8_t*>(pixels), stride)) {
        return TUniqueBitmap();
    }
    return bitmap;
}

}  // namespace

bool IsBitmapResource(const void* data, DWORD size) {
    TBitmapLayout layout;
    if (!ReadBitmapLayout(data, size, layout)) return false;
    const auto* bits = static_cast<const uint8_t*>(data) + layout.bitsOffset;
    if (layout.header.biCompression == BI_RLE8)
        return DecodeRle8(bits, size - layout.bitsOffset, layout.width, layout.height, nullptr, 0);
    const uint64_t rows = (uint64_t{layout.width} * layout.header.biBitCount + 31) / 32 * 4 * layout.height;
    return layout.bitsOffset + rows <= size;
}

void TImage::LoadFromResource(HINSTANCE module, int id) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_BITMAP);
    if (!resource) throw EReadError(Format("Bitmap resource %d not found", {std::to_string(id)}));
    // A resource's data lies in the mapped module: reading its header costs
    // nothing and frees nothing.
    HGLOBAL data = LoadResource(module, resource);
    const void* bytes = data ? LockResource(data) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (!IsBitmapResource(bytes, size))
        throw EReadError(Format("Bitmap resource %d is damaged", {std::to_string(id)}));
    picture_.Clear();
    pendingModule_ = module;
    pendingId_ = id;
    pendingData_ = bytes;
    pendingSize_ = size;
    scaled_.Reset();
    scaledFrom_ = nullptr;
    Invalidate();
}

void TImage::LoadPendingPicture() const {
    if (!pendingModule_) return;
    // CreateDIBSection takes uncompressed formats only, and LoadImageW is not
    // documented to decode run lengths into a DIB section: those are decoded
    // here.
    auto* bitmap = IsRunLengthBitmap(pendingData_, pendingSize_)
                       ? DecodeRunLengthBitmap(pendingData_, pendingSize_).Release()
                       : static_cast<HBITMAP>(LoadImageW(pendingModule_, MAKEINTRESOURCEW(pendingId_),
                                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    // Checked when it was chosen, the resource still fails to load only when
    // the system is out of memory: nothing is drawn, and it is tried again.
    if (!bitmap) return;
    pendingModule_ = nullptr;
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    picture_.SetHandle(bitmap, info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
}

void TImage::SetCenter(bool center) {
    if (center_ == center) return;
    center_ = center;
    Invalidate();
}

RECT TImage::PictureRect(const RECT& bounds, int dpi) const {
    LoadPendingPicture();
    const int width = MulDiv(picture_.Width(), dpi, 96);
    const int height = MulDiv(picture_.Height(), dpi, 96);
    int x = bounds.left, y = bounds.top;
    if (center_) {
        // Truncated towards zero, like the rest of the layout arithmetic.
        x += (bounds.right - bounds.left - width) / 2;
        y += (bounds.bottom - bounds.top - height) / 2;
    }
    return RECT{x, y, x + width, y + height};
}

HBITMAP TImage::ScaledPicture(int width, int height) {
    if (scaled_ && scaledFrom_ == picture_.Handle() && scaledWidth_ == width && scaledHeight_ == height) {
        return scaled_.Get();
    }
    TUniqueBitmap scaled = CreateTopDownDib(width, height);
    if (!scaled) return nullptr;
    TUniqueDc source(CreateCompatibleDC(nullptr));
    TUniqueDc target(CreateCompatibleDC(nullptr));
    {
        TSelectObject selectSource(source.Get(), picture_.Handle());
        TSelectObject selectTarget(target.Get(), scaled.Get());
        // HALFTONE averages the source pixels under each target pixel (and
        // wants the brush origin reset after it is chosen): the picture stays
        // smooth instead of doubling every other row and column.
        SetStretchBltMode(target.Get(), HALFTONE);
        SetBrushOrgEx(target.Get(), 0, 0, nullptr);
        StretchBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, picture_.Width(), picture_.Height(),
                   SRCCOPY);
    }
    scaled_ = std::move(scaled);
    scaledFrom_ = picture_.Handle();
    scaledWidth_ = width;
    scaledHeight_ = height;
    return scaled_.Get();
}

void TImage::Paint(HDC dc, const RECT& bounds, int dpi) {
    LoadPendingPicture();
    if (picture_.Empty()) return;
    const RECT r = PictureRect(bounds, dpi);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HBITMAP image = picture_.Handle();
    if (width != picture_.Width() || height != picture_.Height()) image = ScaledPicture(width, height);
    if (!image) return;
    TUniqueDc source(CreateCompatibleDC(dc));
    TSelectObject select(source.Get(), image);
    BitBlt(dc, r.left, r.top, width, height, source.Get(), 0, 0, SRCCOPY);
}

// --- TSpeedButton ------------------------------------------------------------

void TSpeedButton::SetFlat(bool flat) {
    if (flat_ == flat) return;
    flat_ = flat;
    Invalidate();
}

void TSpeedButton::Paint(HDC dc, const RECT& bounds, int) {
    // Flat, without caption or glyph, the button draws nothing at all.
    if (flat_) return;
    RECT r = bounds;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
}
