#include "win/SharedWindow.h"

#include <utility>

TSharedWindowBase::TSharedWindowBase(Handler handler) : handler_(std::move(handler)) {}

TSharedWindowBase::~TSharedWindowBase() = default;

UINT_PTR TSharedWindowBase::JoinInstance(void* instance) {
    if (!window_) window_ = std::make_unique<TUtilWindow>(handler_);
    const UINT_PTR id = nextId_++;
    live_[id] = instance;
    return id;
}

void TSharedWindowBase::LeaveInstance(UINT_PTR id) {
    live_.erase(id);
    if (live_.empty()) window_.reset();
}

void* TSharedWindowBase::FindInstance(UINT_PTR id) const {
    const auto it = live_.find(id);
    return it == live_.end() ? nullptr : it->second;
}
