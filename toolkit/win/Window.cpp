#include "win/Window.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "core/Exception.h"
#include "win/Application.h"
#include "win/CarriedPointer.h"
#include "win/Handles.h"

namespace {
void AllowMessage(HWND window, UINT message) {
    if (!ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr))
        ReportIgnoredFailure("ChangeWindowMessageFilterEx", GetLastError());
}
bool ProcessRunsElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        ReportIgnoredFailure("OpenProcessToken", GetLastError());
        return false;
    }
    const TUniqueKernelHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) {
        ReportIgnoredFailure("GetTokenInformation", GetLastError());
        return false;
    }
    return elevation.TokenIsElevated != 0;
}
}  // namespace

TSeam<void(HWND, UINT)> MessageFilterSeam(&AllowMessage);
TSeam<bool()> RunsElevatedSeam(&ProcessRunsElevated);

void AllowMessageFromLowerIntegrity(HWND window, UINT message) {
    // A process at normal integrity keeps Windows' own rule: messages from
    // processes of lower integrity (a sandboxed browser, say) are dropped.
    if (RunsElevatedSeam()) MessageFilterSeam(window, message);
}

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

void RunEveryStep(std::initializer_list<std::function<void()>> steps) {
    std::exception_ptr first;
    for (const auto& step : steps) {
        try {
            step();
        } catch (const std::exception&) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

void RunReportingToDebugger(const std::string& what, const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& error) {
        ReportToDebugger(what + ": " + error.what());
    }
}

TWindowTarget::~TWindowTarget() { DestroyRoutedWindow(); }

void TWindowTarget::RegisterRoutedClass(const wchar_t* className, UINT style, HBRUSH background, HICON icon) {
    // The program's few classes, each registered once.
    static std::vector<std::wstring> registered;
    if (std::find(registered.begin(), registered.end(), className) != registered.end()) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &TWindowTarget::RouterProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        registered.emplace_back(className);
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
            if (classProc_ && GetWindowLongPtrW(window, GWLP_WNDPROC) ==
                                  reinterpret_cast<LONG_PTR>(&TWindowTarget::SubclassRouterProc)) {
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc_));
            }
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            ReleaseHooks();
        }
    }
    classProc_ = nullptr;
}

void TWindowTarget::SubclassRoutedWindow(HWND window) {
    window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // SetWindowLongPtr returns the previous procedure, 0 when it fails.
    SetLastError(0);
    classProc_ = CarriedPointer<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindowTarget::SubclassRouterProc)));
    if (!classProc_) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        throw EWin32Error("Could not hook a window's messages");
    }
}

LRESULT TWindowTarget::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (classProc_) return CallWindowProcW(classProc_, window_, message, wParam, lParam);
    return DefWindowProcW(window_, message, wParam, lParam);
}

TWindowTarget* TWindowTarget::FromHandle(HWND window) {
    if (!window || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return nullptr;
    // GWLP_USERDATA holds an object only in a window of a routed class or in
    // a control the router has been put in front of.
    const auto router = reinterpret_cast<ULONG_PTR>(&TWindowTarget::RouterProc);
    const auto subclassRouter = reinterpret_cast<LONG_PTR>(&TWindowTarget::SubclassRouterProc);
    if (GetClassLongPtrW(window, GCLP_WNDPROC) != router &&
        GetWindowLongPtrW(window, GWLP_WNDPROC) != subclassRouter) {
        return nullptr;
    }
    return CarriedPointer<TWindowTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK TWindowTarget::RouterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = CarriedPointer<CREATESTRUCTW*>(lParam);
        auto* target = static_cast<TWindowTarget*>(create->lpCreateParams);
        target->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
    }
    auto* target = CarriedPointer<TWindowTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!target) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return target->Route(message, wParam, lParam);
}

LRESULT CALLBACK TWindowTarget::SubclassRouterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* target = CarriedPointer<TWindowTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!target) return DefWindowProcW(window, message, wParam, lParam);
    // The class's procedure still sees WM_NCDESTROY (through the object's
    // default handling); the window is gone after it.
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return target->Route(message, wParam, lParam);
}

LRESULT TWindowTarget::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Dispatch(hooks_.size(), message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        window_ = nullptr;
        classProc_ = nullptr;
        ReleaseHooks();
        WindowDestroyed();
    }
    return result;
}

LRESULT TWindowTarget::Dispatch(size_t level, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    level = std::min(level, hooks_.size());
    if (level > 0) {
        const TWindowSubclass* hook = hooks_[level - 1];
        bool handled = false;
        GuardBoundary([&] {
            result = hook->handler_(message, wParam, lParam);
            handled = true;
        });
        // A hook that failed still lets the window see its message.
        if (!handled) result = Dispatch(level - 1, message, wParam, lParam);
        return result;
    }
    GuardBoundary([&] { result = HandleWindowMessage(message, wParam, lParam); });
    return result;
}

void TWindowTarget::ReleaseHooks() {
    for (TWindowSubclass* hook : hooks_) hook->target_ = nullptr;
    hooks_.clear();
}

TUtilWindow::TUtilWindow(Handler handler) : handler_(std::move(handler)) {
    RegisterRoutedClass(L"TPUtilWindow");
    CreateRoutedWindow(WS_EX_TOOLWINDOW, L"TPUtilWindow", L"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE);
    if (!WindowHandle()) throw EWin32Error("Could not create a utility window");
}

TUtilWindow::~TUtilWindow() { DestroyRoutedWindow(); }

LRESULT TUtilWindow::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (handler_) return handler_(WindowHandle(), message, wParam, lParam);
    return DefWindowProcW(WindowHandle(), message, wParam, lParam);
}

// --- window hooks ----------------------------------------------------------

TWindowSubclass::TWindowSubclass(HWND window, Handler handler)
    : window_(window), target_(TWindowTarget::FromHandle(window)), handler_(std::move(handler)) {
    if (!target_) throw EWin32Error("Could not hook a window's messages");
    target_->hooks_.push_back(this);
}

TWindowSubclass::~TWindowSubclass() {
    if (!target_) return;
    auto& hooks = target_->hooks_;
    hooks.erase(std::remove(hooks.begin(), hooks.end(), this), hooks.end());
}

LRESULT TWindowSubclass::CallNext(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!target_) return DefWindowProcW(window_, message, wParam, lParam);
    const auto& hooks = target_->hooks_;
    const auto place = std::find(hooks.begin(), hooks.end(), this);
    return target_->Dispatch(static_cast<size_t>(place - hooks.begin()), message, wParam, lParam);
}
