// A lightweight periodic timer that is not a component: it calls a plain
// procedure with a data pointer on every tick. All timers of the process share
// one hidden window, made by the first timer and destroyed with the last.
#pragma once

#include <windows.h>

#include "core/Events.h"
#include "win/SharedWindow.h"

class TSimpleTimer;

// The hidden window that all simple timers share.
using TSimpleTimerHandler = TSharedWindow<TSimpleTimer>;

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
    UINT_PTR id_ = 0;
    bool active_ = false;
    unsigned interval_ = 0;
    TCallback callback_;
};
