// A lightweight periodic timer that is not a component: it calls a plain
// procedure with a data pointer on every tick. All timers of the process share
// one hidden window, made by the first timer and destroyed with the last.
#pragma once

#include <windows.h>

#include <memory>

#include "core/Events.h"
#include "win/Window.h"

class TSimpleTimerHandler : public TObject {
public:
    TSimpleTimerHandler();
    ~TSimpleTimerHandler() override;

    unsigned RefCount() const { return refCount_; }
    HWND Window() const { return window_.Handle(); }
    void AddRef() { ++refCount_; }
    // Subtracts one unless already zero.
    void Release() {
        if (refCount_ > 0) --refCount_;
    }

private:
    LRESULT MessageRoutine(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    unsigned refCount_ = 0;
    TUtilWindow window_;
};

class TSimpleTimer : public TObject {
public:
    using TCallback = void (*)(void* data);

    TSimpleTimer(void* data, TCallback callback);
    ~TSimpleTimer() override;

    // Starts (or restarts) the timer with a new period; false when the
    // platform refuses, which leaves the timer stopped.
    bool Start(unsigned interval);
    // Stops the timer; false when no platform timer was running.
    bool Stop();

    bool Active() const { return active_; }
    unsigned Interval() const { return interval_; }
    // The identifier given to the platform. Identifiers are never reused, so a
    // tick dispatched after its timer has gone names no timer.
    UINT_PTR Id() const { return id_; }
    void* Data() const { return data_; }
    TCallback Callback() const { return callback_; }

    // The process's shared handler, nullptr while no timer exists.
    static TSimpleTimerHandler* SharedHandler();
    // The live timer with this identifier, if any.
    static TSimpleTimer* FindTimer(UINT_PTR id);

private:
    void* data_;
    UINT_PTR id_;
    bool active_ = false;
    unsigned interval_ = 0;
    TCallback callback_;
};
