#include "win/Forms.h"

#include <windowsx.h>
#include <algorithm>

#include "core/Exception.h"
#include "core/Utf.h"
#include "win/Application.h"
#include "win/CarriedPointer.h"
#include "win/SystemLibrary.h"

TUniqueFont TFont::Create(int dpi) const {
    LOGFONTW lf{};
    lf.lfHeight = MulDiv(Height, dpi, 96);
    lf.lfWeight = Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    const std::wstring face = Widen(Name == "Default" ? "MS Shell Dlg 2" : Name);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return TUniqueFont(CreateFontIndirectW(&lf));
}

int MonitorDpi(HMONITOR monitor) {
    // GetDpiForMonitor lives in shcore.dll from Windows 8.1 on; it is looked
    // up once, from the system folder only (win/SystemLibrary.h). Without it
    // the screen's DPI is the answer.
    using GetDpiForMonitorFn = HRESULT WINAPI(HMONITOR, int, UINT*, UINT*);
    static TSystemFunction<GetDpiForMonitorFn> getDpi("shcore.dll", "GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    if (getDpi.Find() && SUCCEEDED(getDpi.Find()(monitor, 0, &dpiX, &dpiY)) && dpiY != 0)
        return static_cast<int>(dpiY);
    TWindowDc screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

int SystemMetricAtDpi(int index, int dpi) {
    // Windows 10 1607 and later; before it the metric scales with the DPI.
    // At the DPI the program started with, the plain figure is the same.
    static TSystemFunction<decltype(GetSystemMetricsForDpi)> forDpi("user32.dll", "GetSystemMetricsForDpi");
    TWindowDc screen(nullptr);
    const int screenDpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    if (dpi == screenDpi) return GetSystemMetrics(index);
    if (forDpi.Find()) return forDpi.Find()(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, screenDpi);
}

// --- TControl ----------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) return;
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    Invalidate();
    left_ = left, top_ = top, width_ = width, height_ = height;
    Invalidate();
}

void TControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Invalidate();
}

void TControl::Click() { OnClick(this); }

void TControl::Invalidate() {
    if (parent_ && parent_->HandleAllocated()) {
        const RECT r = parent_->ScaleRect(BoundsRect());
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
}

// --- TWinControl -------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // The controls inside are let go without a parent. Nothing of theirs is
    // repainted: this window, and the windows of the windowed ones in it, go.
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
    DestroyRoutedWindow();
}

HWND TWinControl::Handle() {
    if (!WindowHandle()) CreateHandle();
    return WindowHandle();
}

void TWinControl::CreateParams(TCreateParams& params) {
    if (parent_) params.Parent = parent_->Handle();
}

void TWinControl::CreateHandle() {
    TCreateParams params;
    CreateParams(params);
    if (parent_) SetDpi(parent_->Dpi());
    if (visible_) params.Style |= WS_VISIBLE;
    RegisterRoutedClass(params.ClassName.c_str(), CS_DBLCLKS, nullptr);
    const RECT r = ScaleRect(BoundsRect());
    CreateRoutedWindow(params.ExStyle, params.ClassName.c_str(), params.Caption.c_str(), params.Style, r.left,
                       r.top, r.right - r.left, r.bottom - r.top, params.Parent);
    if (!WindowHandle()) throw EWin32Error("Could not create the window of " + Name());
    // Windowed children that show follow their parent. A hidden one gets its
    // window when it is shown or its handle is first asked for: a system
    // control's class may live in a DLL (comctl32 6 takes over the list box's
    // class under the program's manifest) that need not load before then.
    for (TControl* c : controls_) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (w && w->Visible()) w->Handle();
    }
}

void TWinControl::SetDpi(int dpi) {
    dpi_ = dpi > 0 ? dpi : 96;
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->SetDpi(dpi_);
    }
}

void TWinControl::ApplyBounds() {
    if (!HandleAllocated()) return;
    const RECT r = ScaleRect(BoundsRect());
    SetWindowPos(WindowHandle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::DpiChanged() {
    ApplyBounds();
    for (TControl* c : controls_) c->DpiChanged();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left, top_ = top, width_ = width, height_ = height;
    ApplyBounds();
}

void TWinControl::SetVisible(bool visible) {
    visible_ = visible;
    if (HandleAllocated() || visible) ShowWindow(Handle(), visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    if (auto* w = dynamic_cast<TWinControl*>(control); w && HandleAllocated()) w->Handle();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    control->Invalidate();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (pressed_ == control) pressed_ = nullptr;
    control->parent_ = nullptr;
}

TControl* TWinControl::ControlAt(POINT p) const {
    // Topmost first: later controls lie above earlier ones.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || dynamic_cast<TWinControl*>(c)) continue;
        const RECT r = ScaleRect(c->BoundsRect());
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::PaintBackground(HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : controls_) {
        if (!c->Visible() || dynamic_cast<TWinControl*>(c)) continue;
        const RECT r = ScaleRect(c->BoundsRect());
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        c->Paint(dc, r, dpi_);
        RestoreDC(dc, saved);
    }
}

void TWinControl::DefaultHandler(TMessage& m) { m.Result = DefaultWindowProc(m.Msg, m.WParam, m.LParam); }

void TWinControl::WndProc(TMessage& m) {
    if (Dispatch(m)) return;
    if (Subclassed()) {
        DefaultHandler(m);
        return;
    }
    switch (m.Msg) {
        case WM_ERASEBKGND:
            m.Result = 1;
            return;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(WindowHandle(), &ps);
            RECT client;
            GetClientRect(WindowHandle(), &client);
            // Drawn off screen first so that the picture and the label on it
            // do not flicker.
            TUniqueDc memory(CreateCompatibleDC(dc));
            TUniqueBitmap surface(CreateCompatibleBitmap(dc, client.right, client.bottom));
            {
                TSelectObject select(memory.Get(), surface.Get());
                PaintBackground(memory.Get(), client);
                PaintControls(memory.Get());
                BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
            }
            EndPaint(WindowHandle(), &ps);
            m.Result = 0;
            return;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            pressed_ = ControlAt(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
            if (pressed_) SetCapture(WindowHandle());
            break;
        case WM_LBUTTONUP: {
            TControl* pressed = pressed_;
            pressed_ = nullptr;
            if (GetCapture() == WindowHandle()) ReleaseCapture();
            // A click is a press and a release over the same control.
            if (pressed && pressed == ControlAt(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)})) {
                pressed->Click();
            }
            break;
        }
        case WM_SETCURSOR:
            if (LOWORD(m.LParam) == HTCLIENT && m.WParam == reinterpret_cast<WPARAM>(WindowHandle())) {
                POINT p;
                GetCursorPos(&p);
                ScreenToClient(WindowHandle(), &p);
                TControl* c = ControlAt(p);
                const int cursor = c ? c->Cursor() : Cursor();
                if (cursor != 0 && Application) {
                    ::SetCursor(Application->Cursor(cursor));
                    m.Result = TRUE;
                    return;
                }
            }
            break;
    }
    DefaultHandler(m);
}

LRESULT TWinControl::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    TMessage m{message, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

// --- TForm -------------------------------------------------------------------

TForm::TForm(TComponent* owner) : TWinControl(owner), color_(GetSysColor(COLOR_BTNFACE)) { visible_ = false; }

TForm::~TForm() {
    if (Application) Application->ForgetForm(this);
}

void TForm::BeforeDestruction() {
    // Runs while the form is whole and its window still exists.
    GuardBoundary([&] { OnDestroy(this); });
    TWinControl::BeforeDestruction();
}

void TForm::DoCreate() {
    GuardBoundary([&] { OnCreate(this); });
}

void TForm::CreateParams(TCreateParams& params) {
    params.Style = WS_POPUP | WS_CLIPCHILDREN;
    params.ExStyle = 0;
    params.ClassName = L"TForm";
    params.Parent = Application ? Application->Handle() : nullptr;  // owner: the taskbar button's window
    // Per-monitor DPI: scale to the monitor the form will appear on.
    POINT centre{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    HMONITOR monitor = MonitorFromPoint(centre, MONITOR_DEFAULTTOPRIMARY);
    SetDpi(MonitorDpi(monitor));
    // Centred on the screen.
    const int w = Scale(width_), h = Scale(height_);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    left_ = MulDiv((info.rcMonitor.left + info.rcMonitor.right - w) / 2, 96, Dpi());
    top_ = MulDiv((info.rcMonitor.top + info.rcMonitor.bottom - h) / 2, 96, Dpi());
}

void TForm::SetClientSize(int width, int height) {
    // Borderless: the client area is the window.
    SetBounds(left_, top_, width, height);
}

void TForm::PaintBackground(HDC dc, const RECT& client) {
    TUniqueBrush brush(CreateSolidBrush(color_));
    FillRect(dc, &client, brush.Get());
}

TWindowState TForm::WindowState() {
    if (HandleAllocated() && IsIconic(WindowHandle())) return TWindowState::wsMinimized;
    if (HandleAllocated() && IsZoomed(WindowHandle())) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
    if (!HandleAllocated()) return;
    const int show = state == TWindowState::wsMinimized   ? SW_MINIMIZE
                     : state == TWindowState::wsMaximized ? SW_MAXIMIZE
                                                          : SW_RESTORE;
    if (IsWindowVisible(WindowHandle()) || state != TWindowState::wsNormal) {
        ShowWindow(WindowHandle(), show);
    } else {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        GetWindowPlacement(WindowHandle(), &placement);
        placement.showCmd = SW_HIDE;
        SetWindowPlacement(WindowHandle(), &placement);
    }
}

void TForm::SetVisible(bool visible) {
    visible_ = visible;
    if (visible) {
        // The main window brings the application's taskbar button with it.
        if (Application && Application->MainForm() == this && !IsWindowVisible(Application->Handle())) {
            ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
        }
        ShowWindow(Handle(), SW_SHOW);
    } else if (HandleAllocated()) {
        ShowWindow(WindowHandle(), SW_HIDE);
    }
}

void TForm::WndProc(TMessage& m) {
    if (m.Msg == WM_DPICHANGED) {
        SetDpi(HIWORD(m.WParam));
        const RECT* suggested = CarriedPointer<const RECT*>(m.LParam);
        SetWindowPos(WindowHandle(), nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        for (TControl* c : Controls()) c->DpiChanged();
        InvalidateRect(WindowHandle(), nullptr, TRUE);
        m.Result = 0;
        return;
    }
    TWinControl::WndProc(m);
}

// --- TFormLoader -------------------------------------------------------------

TFormLoader::TFormLoader(TComponent* root) : root_(root) { root_->BeginLoading(); }

void TFormLoader::Finish() {
    for (auto& resolve : fixups_) resolve();
    fixups_.clear();
    for (TComponent* c : loaded_) c->Loaded();
    root_->Loaded();
}
