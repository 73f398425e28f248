#include "win/Window.h"

#include <commctrl.h>

#include <set>
#include <string>
#include <utility>

#include "core/Exception.h"
#include "win/Application.h"

void GuardBoundary(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& e) {
        if (Application) {
            Application->HandleException(e);
        } else {
            OutputDebugStringA(e.what());
        }
    } catch (...) {
        if (Application) Application->HandleException(Exception("Unknown error"));
    }
}

TWindowTarget::~TWindowTarget() { DestroyRoutedWindow(); }

void TWindowTarget::RegisterRoutedClass(const wchar_t* className, UINT style, HBRUSH background, HICON icon) {
    static std::set<std::wstring> registered;
    if (registered.count(className)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &TWindowTarget::RouterProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) registered.insert(className);
}

HWND TWindowTarget::CreateRoutedWindow(DWORD exStyle, const wchar_t* className, const wchar_t* title,
                                       DWORD style, int x, int y, int width, int height, HWND parent) {
    CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                    GetModuleHandleW(nullptr), this);
    return window_;
}

void TWindowTarget::DestroyRoutedWindow() {
    if (window_) {
        HWND window = window_;
        DestroyWindow(window);
        // Should the system refuse (another thread's window), still unbind.
        if (window_ == window) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = nullptr;
        }
    }
    subclass_.reset();
}

void TWindowTarget::SubclassRoutedWindow(HWND window) {
    window_ = window;
    subclass_ = std::make_unique<TWindowSubclass>(window, [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return Route(message, wParam, lParam);
    });
}

LRESULT TWindowTarget::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (subclass_) return subclass_->CallNext(message, wParam, lParam);
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TWindowTarget::RouterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* target = static_cast<TWindowTarget*>(create->lpCreateParams);
        target->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
    }
    auto* target = reinterpret_cast<TWindowTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!target) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return target->Route(message, wParam, lParam);
}

LRESULT TWindowTarget::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    GuardBoundary([&] { result = HandleWindowMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        window_ = nullptr;
        WindowDestroyed();
    }
    return result;
}

TUtilWindow::TUtilWindow(Handler handler) : handler_(std::move(handler)) {
    RegisterRoutedClass(L"TPUtilWindow");
    CreateRoutedWindow(WS_EX_TOOLWINDOW, L"TPUtilWindow", L"", WS_POPUP, 0, 0, 0, 0, nullptr);
    if (!WindowHandle()) throw EWin32Error("Could not create a utility window");
}

TUtilWindow::~TUtilWindow() { DestroyRoutedWindow(); }

LRESULT TUtilWindow::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (handler_) return handler_(WindowHandle(), message, wParam, lParam);
    return DefWindowProcW(WindowHandle(), message, wParam, lParam);
}

// --- window subclassing ----------------------------------------------------

namespace {
// Each hook's identifier in its window's chain; never reused.
UINT_PTR gNextSubclassId = 1;
}  // namespace

TWindowSubclass::TWindowSubclass(HWND window, Handler handler)
    : window_(window), id_(gNextSubclassId++), handler_(std::move(handler)) {
    installed_ = SetWindowSubclass(window_, &TWindowSubclass::SubclassProc, id_,
                                   reinterpret_cast<DWORD_PTR>(this)) != 0;
    if (!installed_) throw EWin32Error("Could not hook a window's messages");
}

TWindowSubclass::~TWindowSubclass() {
    if (installed_) RemoveWindowSubclass(window_, &TWindowSubclass::SubclassProc, id_);
}

LRESULT TWindowSubclass::CallNext(UINT message, WPARAM wParam, LPARAM lParam) const {
    return DefSubclassProc(window_, message, wParam, lParam);
}

LRESULT CALLBACK TWindowSubclass::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<TWindowSubclass*>(data);
    if (message == WM_NCDESTROY) {
        // A subclass must leave the chain before the window is gone; the
        // message still goes down the chain (documented for SetWindowSubclass).
        RemoveWindowSubclass(window, &TWindowSubclass::SubclassProc, id);
        self->installed_ = false;
    }
    LRESULT result = 0;
    bool handled = false;
    GuardBoundary([&] {
        result = self->handler_(message, wParam, lParam);
        handled = true;
    });
    // A handler that failed still lets the window see its message.
    if (!handled) result = DefSubclassProc(window, message, wParam, lParam);
    return result;
}
