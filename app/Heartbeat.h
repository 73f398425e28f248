// The program's heartbeat: one timer whose tick every role that must look
// again at the desktop subscribes to, in the order they subscribe (hiding
// when idle, following the shell's desktop windows, keeping the caption
// colour). It beats every three seconds until the first caption colour is
// captured, then every second. While an error box is open it skips its beats:
// the box is modal, the timer goes on ticking under it, and one box at a time
// is enough.
#pragma once

#include <functional>
#include <vector>

#include "win/Timer.h"

class THeartbeat {
public:
    // Takes the timer's tick slot; the timer stays the owner's component.
    explicit THeartbeat(TTimer* timer);
    void Subscribe(std::function<void()> beat) { beats_.push_back(std::move(beat)); }
    void EverySecond() { timer_->SetInterval(1000); }
    unsigned Interval() const { return timer_->Interval(); }
    bool Running() const { return timer_->Running(); }
    // One beat, as the timer delivers it.
    void Tick() { timer_->Tick(); }

private:
    void Beat(TObject* sender);
    TTimer* timer_;
    std::vector<std::function<void()>> beats_;
};
