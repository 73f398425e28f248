// A timer component: fires OnTimer every Interval milliseconds while Enabled,
// from a utility window of its own. An error raised by the handler goes to the
// application's error box.
#pragma once

#include <memory>

#include "core/Component.h"
#include "win/Window.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    unsigned Interval() const { return interval_; }
    // Restarts the period.
    void SetInterval(unsigned interval);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    TNotifyEvent OnTimer;
    void SetOnTimer(TNotifyEvent handler);
    // True while a platform timer is running.
    bool Running() const { return running_; }
    // One tick, as the platform delivers it.
    void Tick();

private:
    void UpdateTimer();
    std::unique_ptr<TUtilWindow> window_;
    unsigned interval_ = 1000;
    bool enabled_ = true;
    bool running_ = false;
};
