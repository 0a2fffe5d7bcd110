// The generic window object every window of the program derives from: owns one HWND and routes
// its messages to a virtual handler.
#pragma once

#include <windows.h>

namespace ui {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Hwnd() const { return hwnd_; }
  bool HasWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_) != FALSE; }

  // Creates the window with a class of this name, registered once with default attributes
  // (class style 0, no cursor, no background brush, no icon).
  bool Create(const char* className, DWORD style, int x, int y, int width, int height, HWND parent);
  void Destroy();

  // Binds an existing window (a dialog control) without taking over its messages.
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND Detach();

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  bool owned_ = false;
};

}  // namespace ui
