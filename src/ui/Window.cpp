#include "ui/Window.h"

namespace ui {

Window::~Window() {
  Destroy();
}

bool Window::Create(const char* className, DWORD style, int x, int y, int width, int height,
                    HWND parent) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (!::GetClassInfoA(instance, className, &existing)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Window::Thunk;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!::RegisterClassA(&wc)) return false;
  }
  HWND created = ::CreateWindowExA(0, className, "", style, x, y, width, height, parent, nullptr,
                                   instance, this);
  if (created == nullptr) return false;
  owned_ = true;
  return true;
}

void Window::Destroy() {
  if (owned_ && hwnd_ != nullptr && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  owned_ = false;
}

HWND Window::Detach() {
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  owned_ = false;
  return hwnd;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT result = self->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->owned_ = false;
  }
  return result;
}

}  // namespace ui
