// GoogleTest's thread start signal, on a Win32 event: the win32 thread model of MinGW-w64 has no
// std::mutex or std::condition_variable, which GoogleTest's own version uses.
#pragma once
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { ::CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { ::SetEvent(event_); }
  void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
