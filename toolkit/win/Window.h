// One routing from HWND to object for every window the program makes: the
// object's address travels in CreateWindowEx's create-params, is caught at
// WM_NCCREATE, kept in GWLP_USERDATA and cleared at WM_NCDESTROY. A C++
// exception never unwinds through the window procedure: the router catches it
// and hands it to the application's error box.
#pragma once

#include <windows.h>

#include <functional>

// Runs `call` at a Win32 boundary: an exception it throws goes to the
// application's error box instead of unwinding into the system.
void GuardBoundary(const std::function<void()>& call);

class TWindowTarget {
public:
    TWindowTarget() = default;
    TWindowTarget(const TWindowTarget&) = delete;
    TWindowTarget& operator=(const TWindowTarget&) = delete;
    virtual ~TWindowTarget();

    HWND WindowHandle() const { return window_; }

protected:
    // Registers `className` once per process with the router as its window
    // procedure.
    static void RegisterRoutedClass(const wchar_t* className, UINT style = 0, HBRUSH background = nullptr,
                                    HICON icon = nullptr);
    HWND CreateRoutedWindow(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                            int y, int width, int height, HWND parent);
    void DestroyRoutedWindow();
    // Binds a window made by another class (a system control) to this object:
    // its procedure becomes the router; the class's own is returned so that
    // unhandled messages can go on to it.
    WNDPROC SubclassRoutedWindow(HWND window);

    // Called for every message once the window is bound to this object.
    virtual LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called after WM_NCDESTROY has been handled; the handle is gone.
    virtual void WindowDestroyed() {}

private:
    static LRESULT CALLBACK RouterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// A never-shown top-level popup tool window of class "TPUtilWindow" whose
// messages go to a handler. The tray icon's shared window, the simple timers'
// shared window and each TTimer use one.
class TUtilWindow final : public TWindowTarget {
public:
    using Handler = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
    explicit TUtilWindow(Handler handler);
    ~TUtilWindow() override;
    HWND Handle() const { return WindowHandle(); }

protected:
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Handler handler_;
};

// Replaces a window's procedure while it lives and puts the saved one back when
// destroyed. The replacement is a real window procedure bound to this object
// (one of a fixed pool of distinct procedures), so hooks can stack.
class TWindowProcHook {
public:
    using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;
    TWindowProcHook(HWND window, Handler handler);
    TWindowProcHook(const TWindowProcHook&) = delete;
    TWindowProcHook& operator=(const TWindowProcHook&) = delete;
    ~TWindowProcHook();

    HWND Window() const { return window_; }
    WNDPROC SavedProc() const { return saved_; }
    WNDPROC Replacement() const;
    // Passes a message on to the saved procedure.
    LRESULT CallSaved(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    friend struct HookDispatch;
    HWND window_;
    WNDPROC saved_ = nullptr;
    int slot_ = -1;
    Handler handler_;
};
