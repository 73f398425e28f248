#include "win/StdCtrls.h"

#include "core/Exception.h"
#include "core/Utf.h"
#include "win/CarriedPointer.h"
#include "win/ExtCtrls.h"

COLORREF ParentColorOf(const TControl& control) {
    if (auto* form = dynamic_cast<const TForm*>(control.Parent())) return form->Color();
    if (auto* panel = dynamic_cast<const TPanel*>(control.Parent())) return panel->Color();
    return GetSysColor(COLOR_BTNFACE);
}

// --- TLabel ------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {}

void TLabel::SetCaption(const std::string& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    // While its description is read, the caption and font are not final yet:
    // Loaded measures once they are.
    if (!autoSize_ || Loading()) return;
    const int dpi = parent_ ? parent_->Dpi() : 96;
    // An empty caption still has the height of a line.
    const std::wstring text = caption_.empty() ? L" " : Widen(caption_);
    TWindowDc screen(nullptr);
    TUniqueFont font = Font().Create(dpi);
    TSelectObject selectFont(screen.Get(), font.Get());
    RECT r{0, 0, 0, 0};
    DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    // Rounded up, so that the text fits again when scaled back to `dpi`.
    const int width = caption_.empty() ? 0 : (r.right * 96 + dpi - 1) / dpi;
    const int height = (r.bottom * 96 + dpi - 1) / dpi;
    if (width != width_ || height != height_) SetBounds(left_, top_, width, height);
}

void TLabel::SetTransparent(bool transparent) {
    if (transparent_ == transparent) return;
    transparent_ = transparent;
    Invalidate();
}

void TLabel::SetColor(COLORREF color) {
    color_ = color;
    Invalidate();
}

void TLabel::Paint(HDC dc, const RECT& bounds, int dpi) {
    if (!transparent_) {
        TUniqueBrush brush(CreateSolidBrush(color_ == CLR_INVALID ? ParentColorOf(*this) : color_));
        FillRect(dc, &bounds, brush.Get());
    }
    TUniqueFont font = Font().Create(dpi);
    TSelectObject selectFont(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Font().ResolvedColor());
    std::wstring text = Widen(caption_);
    RECT r = bounds;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

// --- TListBoxStrings ---------------------------------------------------------

void TListBoxStrings::Clear() {
    lines_.clear();
    if (owner_.HandleAllocated()) SendMessageW(owner_.Handle(), LB_RESETCONTENT, 0, 0);
}

int TListBoxStrings::Add(const std::string& text) {
    lines_.push_back(text);
    if (owner_.HandleAllocated()) {
        SendMessageW(owner_.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
    }
    return Count() - 1;
}

// --- reflection --------------------------------------------------------------

bool ReflectControlMessage(TWinControl& parent, TMessage& m) {
    switch (m.Msg) {
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR: {
            // lParam is the control's window: the control whose window it is
            // gets the message.
            for (TControl* c : parent.Controls()) {
                auto* w = dynamic_cast<TWinControl*>(c);
                if (w && w->HandleAllocated() && reinterpret_cast<LPARAM>(w->Handle()) == m.LParam) {
                    m.Result = SendMessageW(w->Handle(), CN_BASE + m.Msg, m.WParam, m.LParam);
                    // A control that does not answer leaves the default colours.
                    return m.Result != 0;
                }
            }
            return false;
        }
        default:
            return false;
    }
}

// --- TListBox ----------------------------------------------------------------

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {}

TListBox::~TListBox() {
    // The window goes first: it must not outlive the font and brush it uses.
    DestroyRoutedWindow();
}

void TListBox::SetItemHeight(int height) {
    if (height <= 0 || height == itemHeight_) return;
    itemHeight_ = height;
    ApplyFontAndHeight();
}

void TListBox::SetIntegralHeight(bool integral) {
    if (integralHeight_ == integral) return;
    integralHeight_ = integral;
    // The list reads this style only when it is made: make it anew. The
    // lines are kept here and go into the new window.
    if (HandleAllocated()) {
        DestroyRoutedWindow();
        CreateHandle();
    }
}

void TListBox::SetColor(COLORREF color) {
    color_ = color;
    parentColor_ = false;
    if (HandleAllocated()) InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void TListBox::SetParentColor(bool parentColor) {
    parentColor_ = parentColor;
    if (HandleAllocated()) InvalidateRect(WindowHandle(), nullptr, TRUE);
}

COLORREF TListBox::ResolvedColor() const {
    if (parentColor_) return ParentColorOf(*this);
    return color_ == CLR_INVALID ? GetSysColor(COLOR_WINDOW) : color_;
}

void TListBox::FontChanged() { ApplyFontAndHeight(); }

void TListBox::CreateHandle() {
    TCreateParams params;
    CreateParams(params);
    if (!params.Parent) throw EWin32Error("The list box " + Name() + " needs a parent window");
    if (parent_) SetDpi(parent_->Dpi());
    DWORD style = WS_CHILD | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_HASSTRINGS;
    if (!integralHeight_) style |= LBS_NOINTEGRALHEIGHT;
    if (visible_) style |= WS_VISIBLE;
    const RECT r = ScaleRect(BoundsRect());
    HWND window =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", style, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, params.Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) throw EWin32Error("Could not create the window of " + Name());
    SubclassRoutedWindow(window);
    ApplyFontAndHeight();
    for (const std::string& line : items_.lines_) {
        SendMessageW(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line).c_str()));
    }
}

void TListBox::ApplyFontAndHeight() {
    if (!HandleAllocated()) return;
    windowFont_ = Font().Create(Dpi());
    // A new font resets the line height to the font's own, so the height
    // comes after it.
    SendMessageW(WindowHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
    // Rounded down, so that as many whole lines fit at any DPI as at 96.
    const int lineHeight = itemHeight_ * Dpi() / 96;
    SendMessageW(WindowHandle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(lineHeight, 0));
    // The list fits an integral height to its lines when it is sized: give it
    // its full height back and let it cut that again for the new lines.
    ApplyBounds();
    RECT client;
    GetClientRect(WindowHandle(), &client);
    SendMessageW(WindowHandle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    InvalidateRect(WindowHandle(), nullptr, TRUE);
}

bool TListBox::Dispatch(TMessage& m) {
    if (m.Msg == CN_CTLCOLORLISTBOX) {
        const COLORREF color = ResolvedColor();
        if (!background_ || backgroundColor_ != color) {
            background_.Reset(CreateSolidBrush(color));
            backgroundColor_ = color;
        }
        HDC dc = CarriedPointer<HDC>(m.WParam);
        SetTextColor(dc, Font().ResolvedColor());
        SetBkColor(dc, color);
        m.Result = reinterpret_cast<LRESULT>(background_.Get());
        return true;
    }
    return false;
}
