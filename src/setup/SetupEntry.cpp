// The setup program's entry point and the few C library functions it uses, in place of msvcrt's:
// an import of msvcrt.dll would be looked up in the folder the setup was started from before
// the system folder, on Windows 2000 at least. FormatText's printf comes from the system
// folder's msvcrt, loaded by its full path (SystemDlls.cpp).
#include <windows.h>

#include <cstddef>

extern "C" void __main();  // static constructors; registers the destructors through atexit

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

// Static destructors, run at the end in the reverse order.
void (*g_atExit[32])();
int g_atExitCount = 0;

[[noreturn]] void End(int code) {
  while (g_atExitCount > 0) g_atExit[--g_atExitCount]();
  ::ExitProcess(static_cast<UINT>(code));
}

}  // namespace

extern "C" {

int atexit(void (*function)()) {
  if (g_atExitCount == static_cast<int>(sizeof g_atExit / sizeof g_atExit[0])) return -1;
  g_atExit[g_atExitCount++] = function;
  return 0;
}

void abort() {
  ::ExitProcess(3);
}

void* memchr(const void* bytes, int value, size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < size; ++i) {
    if (p[i] == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(p + i);
  }
  return nullptr;
}

void* memmove(void* to, const void* from, size_t size) {
  unsigned char* t = static_cast<unsigned char*>(to);
  const unsigned char* f = static_cast<const unsigned char*>(from);
  if (t < f) {
    for (size_t i = 0; i < size; ++i) t[i] = f[i];
  } else {
    for (size_t i = size; i > 0; --i) t[i - 1] = f[i - 1];
  }
  return to;
}

void* memcpy(void* to, const void* from, size_t size) {
  return memmove(to, from, size);
}

void* memset(void* to, int value, size_t size) {
  unsigned char* t = static_cast<unsigned char*>(to);
  for (size_t i = 0; i < size; ++i) t[i] = static_cast<unsigned char>(value);
  return to;
}

size_t strlen(const char* text) {
  size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

int strncmp(const char* a, const char* b, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == '\0') return 0;
  }
  return 0;
}

int strcmp(const char* a, const char* b) {
  return strncmp(a, b, static_cast<size_t>(-1));
}

char* strchr(const char* text, int value) {
  for (;; ++text) {
    if (*text == static_cast<char>(value)) return const_cast<char*>(text);
    if (*text == '\0') return nullptr;
  }
}

char* strrchr(const char* text, int value) {
  const char* found = nullptr;
  for (;; ++text) {
    if (*text == static_cast<char>(value)) found = text;
    if (*text == '\0') return const_cast<char*>(found);
  }
}

void WinMainCRTStartup() {
#ifdef __i386__
  // Extended precision, as MinGW's start-up object leaves the FPU.
  __asm__ __volatile__("fninit");
#endif
  __main();
  char noArguments[] = "";
  End(WinMain(::GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT));
}

}  // extern "C"

// Nothing is made with new; a virtual destructor still names delete.
void operator delete(void*) noexcept {}
void operator delete(void*, size_t) noexcept {}

extern "C" void __cxa_pure_virtual() {
  ::ExitProcess(3);
}
