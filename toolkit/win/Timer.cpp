#include "win/Timer.h"

#include "core/Exception.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    window_ =
        std::make_unique<TUtilWindow>([this](HWND w, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_TIMER && wParam == kTimerId) {
                Tick();
                return 0;
            }
            return DefWindowProcW(w, message, wParam, lParam);
        });
}

TTimer::~TTimer() {
    if (running_) KillTimer(window_->Handle(), kTimerId);
}

void TTimer::SetInterval(unsigned interval) {
    if (interval == interval_) return;
    interval_ = interval;
    UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    OnTimer = handler;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (running_) KillTimer(window_->Handle(), kTimerId);
    running_ = false;
    if (interval_ != 0 && enabled_ && OnTimer) {
        running_ = SetTimer(window_->Handle(), kTimerId, interval_, nullptr) != 0;
        if (!running_) ReportIgnoredFailure("SetTimer", GetLastError());
    }
}

void TTimer::Tick() {
    if (enabled_) GuardBoundary([&] { OnTimer(this); });
}
