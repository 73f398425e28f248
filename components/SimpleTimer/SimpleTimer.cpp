#include "SimpleTimer/SimpleTimer.h"

#include <map>

namespace {

TSimpleTimerHandler* gHandler = nullptr;
std::map<UINT_PTR, TSimpleTimer*>& LiveTimers() {
    static std::map<UINT_PTR, TSimpleTimer*> timers;
    return timers;
}
UINT_PTR gNextId = 1;

// Destroys a handler that still exists when the program ends.
struct HandlerFinalizer {
    ~HandlerFinalizer() {
        delete gHandler;
        gHandler = nullptr;
    }
} gFinalizer;

}  // namespace

TSimpleTimerHandler::TSimpleTimerHandler()
    : window_([this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return MessageRoutine(w, m, wp, lp); }) {}

TSimpleTimerHandler::~TSimpleTimerHandler() = default;

LRESULT TSimpleTimerHandler::MessageRoutine(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        // wParam comes in a message any process can post: it is looked up among
        // the live timers, never taken as an address.
        if (TSimpleTimer* timer = TSimpleTimer::FindTimer(wParam)) {
            if (timer->Callback()) timer->Callback()(timer->Data());
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TSimpleTimer::TSimpleTimer(void* data, TCallback callback)
    : data_(data), id_(gNextId++), callback_(callback) {
    if (!gHandler) gHandler = new TSimpleTimerHandler();
    gHandler->AddRef();
    LiveTimers()[id_] = this;
}

TSimpleTimer::~TSimpleTimer() {
    if (active_) Stop();
    LiveTimers().erase(id_);
    if (gHandler) {
        gHandler->Release();
        if (gHandler->RefCount() == 0) {
            delete gHandler;
            gHandler = nullptr;
        }
    }
}

bool TSimpleTimer::Start(unsigned interval) {
    if (active_) Stop();
    interval_ = interval;
    active_ = SetTimer(gHandler->Window(), id_, interval_, nullptr) != 0;
    return active_;
}

bool TSimpleTimer::Stop() {
    active_ = false;
    return KillTimer(gHandler->Window(), id_) != 0;
}

TSimpleTimerHandler* TSimpleTimer::SharedHandler() { return gHandler; }

TSimpleTimer* TSimpleTimer::FindTimer(UINT_PTR id) {
    auto it = LiveTimers().find(id);
    return it == LiveTimers().end() ? nullptr : it->second;
}
