#include "Heartbeat.h"

#include "win/Application.h"

THeartbeat::THeartbeat(TTimer* timer) : timer_(timer) {
    timer_->SetInterval(3000);
    timer_->SetOnTimer(TNotifyEvent(this, &THeartbeat::Beat));
}

void THeartbeat::Beat(TObject*) {
    if (Application && Application->ErrorBoxOpen()) return;
    for (const auto& beat : beats_) beat();
}
