#include "win/ExtCtrls.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Exception.h"
#include "core/PngChunks.h"

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

bool IsPictureResource(const void* data, DWORD size) {
    return ReadPngChunks(static_cast<const uint8_t*>(data), size).has_value();
}

void TImage::LoadFromResource(HINSTANCE module, int id) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!resource) throw EReadError(Format("Picture resource %d not found", {std::to_string(id)}));
    // A resource's data lies in the mapped module: reading its chunks costs
    // nothing and frees nothing.
    HGLOBAL data = LoadResource(module, resource);
    const void* bytes = data ? LockResource(data) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (!IsPictureResource(bytes, size))
        throw EReadError(Format("Picture resource %d is damaged", {std::to_string(id)}));
    picture_.Clear();
    pendingData_ = bytes;
    pendingSize_ = size;
    scaled_.Reset();
    scaledFrom_ = nullptr;
    Invalidate();
}

void TImage::LoadPendingPicture() const {
    if (!pendingData_) return;
    // The picture is a PNG: Windows decodes it (the imaging component, loaded
    // then). Its chunks were checked when it was chosen; should it still not
    // decode (no memory, say), nothing is drawn and it is tried again.
    TUniqueBitmap bitmap = DecodePngPicture(pendingData_, pendingSize_);
    if (!bitmap) return;
    pendingData_ = nullptr;
    BITMAP info{};
    GetObjectW(bitmap.Get(), sizeof(info), &info);
    picture_.SetHandle(bitmap.Release(), info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
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
