#include "HotKeyRegistration.h"

#include "core/Exception.h"

bool THotKeyRegistration::Take(std::optional<THotKey> wanted) {
    if (wanted == registered_) return wanted.has_value();
    const std::optional<THotKey> previous = registered_;
    Release();
    if (wanted && RegisterHotKey(window_->Handle(), kHotKeyId, wanted->modifiers, wanted->key)) {
        registered_ = wanted;
    } else if (wanted) {
        ReportIgnoredFailure("RegisterHotKey", GetLastError());
        if (previous && RegisterHotKey(window_->Handle(), kHotKeyId, previous->modifiers, previous->key))
            registered_ = previous;
    }
    return wanted && registered_ == wanted;
}

void THotKeyRegistration::Release() {
    if (registered_ && !UnregisterHotKey(window_->Handle(), kHotKeyId))
        ReportIgnoredFailure("UnregisterHotKey", GetLastError());
    registered_.reset();
}
