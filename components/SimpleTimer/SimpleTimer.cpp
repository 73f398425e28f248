#include "SimpleTimer/SimpleTimer.h"

#include "core/Exception.h"

namespace {

LRESULT TimerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

TSimpleTimerHandler& Shared() {
    static TSimpleTimerHandler shared(&TimerMessage);
    return shared;
}

LRESULT TimerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        // wParam comes in a message any process can post: it is looked up among
        // the live timers, never taken as an address.
        if (TSimpleTimer* timer = Shared().Find(wParam)) {
            if (timer->Callback()) timer->Callback()(timer->Data());
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TSimpleTimer::TSimpleTimer(void* data, TCallback callback) : data_(data), callback_(callback) {
    id_ = Shared().Join(this);
}

TSimpleTimer::~TSimpleTimer() {
    if (active_) Stop();
    Shared().Leave(id_);
}

bool TSimpleTimer::Start(unsigned interval) {
    if (active_) Stop();
    interval_ = interval;
    active_ = SetTimer(Shared().Window(), id_, interval_, nullptr) != 0;
    if (!active_) ReportIgnoredFailure("SetTimer", GetLastError());
    return active_;
}

bool TSimpleTimer::Stop() {
    active_ = false;
    return KillTimer(Shared().Window(), id_) != 0;
}

TSimpleTimerHandler* TSimpleTimer::SharedHandler() { return Shared().Window() ? &Shared() : nullptr; }

TSimpleTimer* TSimpleTimer::FindTimer(UINT_PTR id) { return Shared().Find(id); }
