// Controls and forms: a control has bounds, visibility, a click slot and a
// cursor; a windowed control owns an HWND (made when first asked for) and
// paints and routes clicks for the windowless controls it holds; a form is a
// top-level windowed control with creation and destruction handlers and
// message dispatch by number.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/Component.h"
#include "win/Handles.h"
#include "win/Window.h"

// Pixels per inch of a monitor (per-monitor DPI where the system has it, the
// screen's otherwise).
int MonitorDpi(HMONITOR monitor);
// A system metric (GetSystemMetrics' index) as it is at a DPI.
int SystemMetricAtDpi(int index, int dpi);

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = -11;  // negative: character height in pixels at 96 DPI
    bool Bold = false;
    COLORREF Color = CLR_INVALID;  // CLR_INVALID: the window-text colour
    // A font for `dpi` pixels per inch.
    TUniqueFont Create(int dpi) const;
    COLORREF ResolvedColor() const { return Color == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : Color; }
};

class TWinControl;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    // Bounds at 96 DPI; a windowed parent scales them to its monitor's DPI.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // Index into the application's cursor table; 0 is the arrow.
    int Cursor() const { return cursor_; }
    void SetCursor(int cursor) { cursor_ = cursor; }

    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }

    TNotifyEvent OnClick;
    // Fires OnClick; controls override it to add their own click behaviour.
    virtual void Click();

    // Windowless controls paint into their parent's DC at their bounds,
    // already scaled to `dpi`.
    virtual void Paint(HDC, const RECT&, int /*dpi*/) {}
    // Asks the parent to repaint this control's area.
    void Invalidate();
    // The window the control is in has taken a new DPI (moved to a monitor
    // with another scaling) and its size: the control lays itself out again.
    // A windowless control is painted at its parent's DPI anyway.
    virtual void DpiChanged() {}

protected:
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    int cursor_ = 0;
    TFont font_;
};

class TWinControl : public TControl, protected TWindowTarget {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window handle, created (with its parent's) when first asked for.
    HWND Handle();
    bool HandleAllocated() const { return WindowHandle() != nullptr; }
    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;

    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    // Pixels per inch of the monitor the window is on (96 before it exists).
    int Dpi() const { return dpi_; }
    int Scale(int value) const { return MulDiv(value, dpi_, 96); }
    // Scales position and size separately, so a control's size does not
    // depend on where it sits.
    RECT ScaleRect(const RECT& r) const {
        const int left = Scale(r.left), top = Scale(r.top);
        return RECT{left, top, left + Scale(r.right - r.left), top + Scale(r.bottom - r.top)};
    }

    // Default handling of a message that no handler took.
    virtual void DefaultHandler(TMessage& message);
    // Takes its scaled bounds again, and has every control inside follow.
    void DpiChanged() override;

protected:
    struct TCreateParams {
        DWORD Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        DWORD ExStyle = 0;
        std::wstring ClassName = L"TWinControl";
        HWND Parent = nullptr;
        std::wstring Caption;
    };
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateHandle();
    // Messages routed to this control; dispatch and default handling.
    virtual void WndProc(TMessage& message);
    // Lets a class handle messages by number; true when handled.
    virtual bool Dispatch(TMessage&) { return false; }
    // Background painting before the windowless controls are drawn.
    virtual void PaintBackground(HDC dc, const RECT& client);
    void ApplyBounds();
    // Takes a new DPI, with the windowed controls inside.
    void SetDpi(int dpi);

    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TControl* ControlAt(POINT clientPoint) const;
    void PaintControls(HDC dc);

    std::vector<TControl*> controls_;
    TControl* pressed_ = nullptr;
    int dpi_ = 96;
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    void SetClientSize(int width, int height);
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color) { color_ = color; }
    TWindowState WindowState();
    void SetWindowState(TWindowState state);
    void SetVisible(bool visible) override;

    // Runs OnCreate inside the construction; an error it raises goes to the
    // application's error box and the window is still made.
    void DoCreate();

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintBackground(HDC dc, const RECT& client) override;
    void WndProc(TMessage& message) override;
    void BeforeDestruction() override;

private:
    COLORREF color_;
};

// Reads a form's stored description: components made while loading get their
// properties at once; references to other components are resolved at the end;
// then every component's Loaded runs, in creation order.
class TFormLoader {
public:
    explicit TFormLoader(TComponent* root);
    TFormLoader(const TFormLoader&) = delete;
    TFormLoader& operator=(const TFormLoader&) = delete;

    template <class T>
    T* Create(const char* name, TComponent* owner = nullptr) {
        T* component = new T(owner ? owner : root_);
        component->SetName(name);
        component->BeginLoading();
        loaded_.push_back(component);
        return component;
    }
    // A reference to another component, resolved once everything is read.
    void Fixup(std::function<void()> resolve) { fixups_.push_back(std::move(resolve)); }
    // Resolves references, then runs Loaded on every component read.
    void Finish();

private:
    TComponent* root_;
    std::vector<TComponent*> loaded_;
    std::vector<std::function<void()>> fixups_;
};
