// Routing from HWND to object. A window the program makes carries the object's
// address in CreateWindowEx's create-params, caught at WM_NCCREATE, kept in
// GWLP_USERDATA and cleared at WM_NCDESTROY. A window of another class (a
// system control, or a window whose messages a component must see) is hooked
// through comctl32's subclass chain (SetWindowSubclass), which lets any number
// of hooks come and go in any order. A C++ exception never unwinds through a
// window procedure: it goes to the application's error box.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

// Runs `call` at a Win32 boundary: an exception it throws goes to the
// application's error box instead of unwinding into the system.
void GuardBoundary(const std::function<void()>& call);

// Sees the messages of a window of the calling thread (comctl32 subclasses
// only those) while it lives. Every hook has its own place in the window's
// chain, so removing hooks in any order leaves the others, and the window's
// own procedure, as they were. The hook leaves the chain by itself when the
// window is destroyed first.
class TWindowSubclass {
public:
    using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;
    TWindowSubclass(HWND window, Handler handler);
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;
    ~TWindowSubclass();

    HWND Window() const { return window_; }
    bool Installed() const { return installed_; }
    // Passes a message on to the next procedure in the window's chain.
    LRESULT CallNext(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    HWND window_;
    UINT_PTR id_;
    bool installed_ = false;
    Handler handler_;
};

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
    // Binds a window made by another class (a system control) to this object
    // through the subclass chain.
    void SubclassRoutedWindow(HWND window);
    bool Subclassed() const { return subclass_ != nullptr; }
    // Default handling: the subclassed class's own procedure, else
    // DefWindowProc.
    LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) const;

    // Called for every message once the window is bound to this object.
    virtual LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called after WM_NCDESTROY has been handled; the handle is gone.
    virtual void WindowDestroyed() {}

private:
    static LRESULT CALLBACK RouterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Hands a message to the object; unbinds it after WM_NCDESTROY.
    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::unique_ptr<TWindowSubclass> subclass_;
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
