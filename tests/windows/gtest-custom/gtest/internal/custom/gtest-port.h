// GoogleTest's one use of std::mutex (Notification, for threads GoogleTest
// starts itself) on the win32 thread model, whose C++ library has no
// std::mutex: the same class on a Win32 event. GoogleTest includes this
// header, by this name, before it would define its own.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX  // std::min and std::max, not the macros
#endif
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event); }
    void WaitForNotification() { WaitForSingleObject(event, INFINITE); }

private:
    HANDLE event;  // manual reset: once set, every waiter passes
};

}  // namespace internal
}  // namespace testing

#define GTEST_HAS_NOTIFICATION_ 1
