// GoogleTest's own hook for a platform's additions (its gtest-port.h includes
// this header first), used where the C++ library has no std::mutex and
// std::condition_variable: MinGW-w64's win32 thread model (GCC 12). Its
// Notification, the one class of GoogleTest built on them, waits on a Win32
// event instead.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace testing::internal
