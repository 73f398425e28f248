#include "HotKeyRegistration.h"

#include "core/Exception.h"

bool THotKeyRegistration::Register(THotKey hotKey) {
    // MOD_NOREPEAT: a key held down toggles once, not once for each of the
    // keyboard's repeats.
    return RegisterHotKey(window_->Handle(), kHotKeyId, hotKey.modifiers | MOD_NOREPEAT, hotKey.key) != FALSE;
}

bool THotKeyRegistration::Take(std::optional<THotKey> wanted) {
    if (wanted == registered_) return wanted.has_value();
    const std::optional<THotKey> previous = registered_;
    Release();
    if (wanted && Register(*wanted)) {
        registered_ = wanted;
    } else if (wanted) {
        ReportIgnoredFailure("RegisterHotKey", GetLastError());
        if (previous && Register(*previous)) registered_ = previous;
    }
    return wanted && registered_ == wanted;
}

void THotKeyRegistration::Release() {
    if (registered_ && !UnregisterHotKey(window_->Handle(), kHotKeyId))
        ReportIgnoredFailure("UnregisterHotKey", GetLastError());
    registered_.reset();
}
