// Extra controls: a bevelled panel, a picture and a flat speed button.
#pragma once

#include <windows.h>

#include "win/Forms.h"
#include "win/Graphics.h"
#include "win/StdCtrls.h"

enum class TAlign { alNone, alClient };
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A windowed container with up to two bevels drawn inside its edge.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);

    // alClient: the panel takes its parent's whole client area.
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    // Width of each bevel in pixels at 96 DPI.
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void DpiChanged() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    // Answers the colour questions of child controls (see ReflectControlMessage).
    bool Dispatch(TMessage& message) override;
    void PaintBackground(HDC dc, const RECT& client) override;

private:
    void Realign();
    void FitToParent();
    void Redraw();

    TAlign align_ = TAlign::alNone;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    int bevelWidth_ = 1;
    COLORREF color_;
};

// Draws `width` rings of a bevel inside `rect` and shrinks `rect` past them.
// Raised: light top and left, dark bottom and right; lowered the other way;
// a space bevel takes room but draws nothing.
void DrawBevel(HDC dc, RECT& rect, TBevelCut cut, int width);

// Whether the data of a picture resource (`size` bytes) is a whole PNG file
// whose chunks are in order and unchanged.
bool IsPictureResource(const void* data, DWORD size);

// A picture drawn in its bounds. At more than 96 DPI the picture is scaled to
// the DPI with a smoothing filter; the scaled copy is kept for the next paint.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);

    TBitmap& Picture() {
        LoadPendingPicture();
        return picture_;
    }
    const TBitmap& Picture() const {
        LoadPendingPicture();
        return picture_;
    }
    // Makes a picture resource of `module` (RT_RCDATA: a PNG file) the
    // Picture. The resource is checked at once (EReadError when it is missing
    // or damaged); the picture itself is decoded when it is first needed, to
    // be painted or read.
    void LoadFromResource(HINSTANCE module, int id);

    // Centred: the picture's middle on the control's middle, its edges cut
    // where it is larger; otherwise drawn from the top left corner.
    bool Center() const { return center_; }
    void SetCenter(bool center);

    // Where the picture lands (scaled to `dpi`) for a control at `bounds`.
    RECT PictureRect(const RECT& bounds, int dpi) const;
    void Paint(HDC dc, const RECT& bounds, int dpi) override;

private:
    HBITMAP ScaledPicture(int width, int height);
    void LoadPendingPicture() const;

    // The picture, and the resource it is still to be made from: made on
    // first use, so the picture belongs to what the control shows, however
    // late that is.
    mutable TBitmap picture_;
    // Its data, checked, in the mapped module.
    mutable const void* pendingData_ = nullptr;
    mutable DWORD pendingSize_ = 0;
    bool center_ = false;
    TUniqueBitmap scaled_;
    int scaledWidth_ = 0, scaledHeight_ = 0;
    HBITMAP scaledFrom_ = nullptr;
};

// A flat speed button with neither caption nor glyph: a click area over
// something its parent draws. Its OnClick slot is re-pointed at run time.
class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner) : TGraphicControl(owner) {}

    bool Flat() const { return flat_; }
    void SetFlat(bool flat);

    void Paint(HDC dc, const RECT& bounds, int dpi) override;

private:
    bool flat_ = false;
};
