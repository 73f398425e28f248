// Routing from HWND to object. A window the program makes carries the object's
// address in CreateWindowEx's create-params, caught at WM_NCCREATE, kept in
// GWLP_USERDATA and cleared at WM_NCDESTROY. A system control that the
// program makes (a list box) is bound the same way after CreateWindowEx, by
// putting the router in front of the class's own procedure (GWLP_WNDPROC),
// which then gets every message the object passes on. A component that must
// see the messages of a window bound here hooks it (TWindowSubclass): the
// router keeps the hooks and gives each message to them first, newest first,
// so hooks can come and go in any order without comctl32's subclass chain,
// and the program does not load comctl32 to start. A C++ exception never
// unwinds through a window procedure: it goes to the application's error box.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/Seam.h"

// The window side's error policy, in three functions; nothing else in the
// program catches an exception.
// Runs `call` at a Win32 boundary (a window procedure, a timer tick, a menu
// command): an exception it throws goes to the application's error box
// instead of unwinding into the system.
void GuardBoundary(const std::function<void()>& call);
// Runs every step, also those after one that throws, then rethrows the first
// error for the boundary: for a sequence that must finish (the desktop comes
// back whatever fails on the way).
void RunEveryStep(std::initializer_list<std::function<void()>> steps);
// Runs `call` where no box may open (on the way out): an error is told to a
// debugger, "<what>: <message>", and the program goes on.
void RunReportingToDebugger(const std::string& what, const std::function<void()>& call);

// Lets one message through User Interface Privilege Isolation to a window of
// a process that runs elevated: from processes of lower integrity it is
// otherwise dropped (ChangeWindowMessageFilterEx, MSGFLT_ALLOW, for this
// window only), through MessageFilterSeam. Only a process that runs elevated
// lets anything through (RunsElevatedSeam: the token's TokenElevation).
void AllowMessageFromLowerIntegrity(HWND window, UINT message);
extern TSeam<void(HWND window, UINT message)> MessageFilterSeam;
extern TSeam<bool()> RunsElevatedSeam;

class TWindowTarget;

// Sees the messages of a window that the calling thread made and bound to an
// object (see above) while it lives; any other window can't be hooked. Every
// hook has its own place in the window's chain, so removing hooks in any
// order leaves the others, and the window's own handling, as they were. The
// hook leaves the chain by itself when the window is destroyed first.
class TWindowSubclass {
public:
    using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;
    TWindowSubclass(HWND window, Handler handler);
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;
    ~TWindowSubclass();

    HWND Window() const { return window_; }
    bool Installed() const { return target_ != nullptr; }
    // Passes a message on to the next hook in the window's chain, or to the
    // window's own handling after the last.
    LRESULT CallNext(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    friend class TWindowTarget;
    HWND window_;
    TWindowTarget* target_ = nullptr;
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
    // by putting the router in front of the class's procedure.
    void SubclassRoutedWindow(HWND window);
    bool Subclassed() const { return classProc_ != nullptr; }
    // Default handling: the subclassed class's own procedure, else
    // DefWindowProc.
    LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) const;

    // Called for every message once the window is bound to this object.
    virtual LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called after WM_NCDESTROY has been handled; the handle is gone.
    virtual void WindowDestroyed() {}

private:
    friend class TWindowSubclass;
    static LRESULT CALLBACK RouterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassRouterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The object bound to `window`, a window of the calling thread; nullptr
    // when the window is not bound here.
    static TWindowTarget* FromHandle(HWND window);
    // Hands a message to the hooks and the object; unbinds them after
    // WM_NCDESTROY.
    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);
    // Hands a message to the `level` oldest hooks, newest of them first, and
    // then to the object.
    LRESULT Dispatch(size_t level, UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseHooks();
    HWND window_ = nullptr;
    WNDPROC classProc_ = nullptr;          // a subclassed control's own procedure
    std::vector<TWindowSubclass*> hooks_;  // oldest first
};

// A never-shown window of class "TPUtilWindow" whose messages go to a
// handler. The tray icon's shared window, the simple timers' shared window and
// each TTimer use one. It is message-only (parent HWND_MESSAGE): it takes
// posted and sent messages, timers' and the shell's callbacks, and hears no
// broadcast ("TaskbarCreated" reaches the tray icon through the application
// window's hook). It is cheap to make, as the window system makes no window of
// its own for it (under Wine: no X window, and the taskbar is not told).
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
