#include "win/SharedWindow.h"

#include <algorithm>
#include <utility>

TSharedWindowBase::TSharedWindowBase(Handler handler) : handler_(std::move(handler)) {}

TSharedWindowBase::~TSharedWindowBase() = default;

UINT_PTR TSharedWindowBase::JoinInstance(void* instance) {
    if (!window_) window_ = std::make_unique<TUtilWindow>(handler_);
    const UINT_PTR id = nextId_++;
    live_.emplace_back(id, instance);
    return id;
}

void TSharedWindowBase::LeaveInstance(UINT_PTR id) {
    std::erase_if(live_, [id](const auto& live) { return live.first == id; });
    if (live_.empty()) window_.reset();
}

void* TSharedWindowBase::FindInstance(UINT_PTR id) const {
    const auto it =
        std::find_if(live_.begin(), live_.end(), [id](const auto& live) { return live.first == id; });
    return it == live_.end() ? nullptr : it->second;
}
