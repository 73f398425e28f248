// Standard controls: the windowless base for controls that draw into their
// parent, a text label, and a list box wrapping the system's LISTBOX.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/Forms.h"
#include "win/Handles.h"

// A control without a window of its own: its parent paints it (Paint) and
// routes clicks to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
};

// The colour a control takes over from its parent: a form's or panel's colour,
// else the system button face.
COLORREF ParentColorOf(const TControl& control);

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // A transparent label draws only its text over what lies beneath it.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // Background of an opaque label; CLR_INVALID takes the parent's colour.
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    // An auto-sized label keeps its top left corner and takes the size of its
    // one line of text, measured at its parent's DPI.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // Call after changing Font(): re-measures an auto-sized label.
    void FontChanged();

    void Loaded() override;
    void Paint(HDC dc, const RECT& bounds, int dpi) override;
    // Measures its text again at the new DPI.
    void DpiChanged() override { AdjustBounds(); }

private:
    void AdjustBounds();

    std::string caption_;
    bool autoSize_ = true;
    bool transparent_ = false;
    COLORREF color_ = CLR_INVALID;
};

class TListBox;

// The lines of a list box. They are kept here, so they exist before the list
// box has a window and survive its re-creation; the window mirrors them.
class TListBoxStrings {
public:
    void Clear();
    // Appends a line; returns its index.
    int Add(const std::string& text);
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Item(int index) const { return lines_.at(static_cast<size_t>(index)); }

private:
    friend class TListBox;
    explicit TListBoxStrings(TListBox& owner) : owner_(owner) {}
    TListBox& owner_;
    std::vector<std::string> lines_;
};

// Messages a parent sends back to the child control that caused them, so the
// control answers for itself (a list box chooses its own colours).
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;

// For a parent's Dispatch: hands WM_CTLCOLOR* messages to the child control
// whose window sent them (as CN_BASE + message). True when a child answered.
bool ReflectControlMessage(TWinControl& parent, TMessage& message);

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    ~TListBox() override;

    TListBoxStrings& Items() { return items_; }
    const TListBoxStrings& Items() const { return items_; }

    // Height of one line at 96 DPI, scaled with the window.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    // The window's height is cut to whole lines.
    bool IntegralHeight() const { return integralHeight_; }
    void SetIntegralHeight(bool integral);
    // Background; CLR_INVALID is the system window colour. ParentColor takes
    // the parent's colour instead.
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    COLORREF ResolvedColor() const;
    // Applies a changed Font() to the window.
    void FontChanged();
    // The font and the line height at the new DPI, and then the bounds.
    void DpiChanged() override { ApplyFontAndHeight(); }

protected:
    void CreateHandle() override;
    bool Dispatch(TMessage& message) override;

private:
    friend class TListBoxStrings;
    void ApplyFontAndHeight();

    TListBoxStrings items_{*this};
    int itemHeight_ = 13;
    bool integralHeight_ = false;
    COLORREF color_ = CLR_INVALID;
    bool parentColor_ = false;
    TUniqueFont windowFont_;
    TUniqueBrush background_;
    COLORREF backgroundColor_ = CLR_INVALID;
};
