// The programs' entry point, in place of MinGW's start-up object. That object is built for the
// Pentium Pro (it reads the command line with cmov), and of what it does the programs need only
// this: the FPU as it leaves it, the static constructors, WinMain and exit. Neither program takes
// command-line options. Nothing is auto-imported (the link refuses it), so there is nothing for
// the start-up object's pseudo-relocator to do.
#include <windows.h>

#include <cstdlib>

extern "C" void __main();                  // static constructors; registers the destructors
extern "C" void __set_app_type(int type);  // msvcrt: report its own errors as a GUI program

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// Static destructors are registered here. msvcrt's own atexit is not in MinGW's import library,
// so it is built on _onexit, whose table msvcrt's exit runs.
extern "C" int atexit(void (*function)()) {
  return ::_onexit(reinterpret_cast<_onexit_t>(reinterpret_cast<void*>(function))) != nullptr ? 0
                                                                                              : -1;
}

extern "C" void WinMainCRTStartup() {
#ifdef __i386__
  // Extended precision: the start-up object's _fpreset did the same, so every calculation
  // rounds as it always did.
  __asm__ __volatile__("fninit");
#endif
  __set_app_type(2);
  __main();
  char noArguments[] = "";
  std::exit(WinMain(::GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT));
}
