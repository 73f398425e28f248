#include "win/Window.h"

#include <array>
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
}

WNDPROC TWindowTarget::SubclassRoutedWindow(HWND window) {
    window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindowTarget::RouterProc)));
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

    LRESULT result = 0;
    bool handled = false;
    GuardBoundary([&] {
        result = target->HandleWindowMessage(message, wParam, lParam);
        handled = true;
    });
    if (!handled) result = 0;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        target->window_ = nullptr;
        target->WindowDestroyed();
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

// --- window procedure hooks -------------------------------------------------

namespace {
constexpr int kHookSlots = 32;
std::array<TWindowProcHook*, kHookSlots> gHookSlots{};
}  // namespace

struct HookDispatch {
    static LRESULT Call(int slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        TWindowProcHook* hook = gHookSlots[static_cast<size_t>(slot)];
        if (!hook) return DefWindowProcW(window, message, wParam, lParam);
        LRESULT result = 0;
        bool handled = false;
        GuardBoundary([&] {
            result = hook->handler_(message, wParam, lParam);
            handled = true;
        });
        // A handler that failed still lets the window see its message.
        if (!handled) result = hook->CallSaved(message, wParam, lParam);
        return result;
    }
};

namespace {

template <int N>
LRESULT CALLBACK HookSlotProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return HookDispatch::Call(N, window, message, wParam, lParam);
}

template <int... N>
constexpr std::array<WNDPROC, sizeof...(N)> MakeSlotProcs(std::integer_sequence<int, N...>) {
    return {&HookSlotProc<N>...};
}

const std::array<WNDPROC, kHookSlots> kSlotProcs =
    MakeSlotProcs(std::make_integer_sequence<int, kHookSlots>{});

}  // namespace

TWindowProcHook::TWindowProcHook(HWND window, Handler handler)
    : window_(window), handler_(std::move(handler)) {
    for (int i = 0; i < kHookSlots; ++i) {
        if (!gHookSlots[static_cast<size_t>(i)]) {
            slot_ = i;
            break;
        }
    }
    if (slot_ < 0) throw Exception("Too many window procedure hooks");
    gHookSlots[static_cast<size_t>(slot_)] = this;
    saved_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window_, GWLP_WNDPROC));
    SetWindowLongPtrW(window_, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(kSlotProcs[static_cast<size_t>(slot_)]));
}

TWindowProcHook::~TWindowProcHook() {
    if (saved_ && IsWindow(window_))
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved_));
    gHookSlots[static_cast<size_t>(slot_)] = nullptr;
}

WNDPROC TWindowProcHook::Replacement() const { return kSlotProcs[static_cast<size_t>(slot_)]; }

LRESULT TWindowProcHook::CallSaved(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!saved_) return DefWindowProcW(window_, message, wParam, lParam);
    return CallWindowProcW(saved_, window_, message, wParam, lParam);
}
