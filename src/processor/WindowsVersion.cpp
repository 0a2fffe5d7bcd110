#include "processor/WindowsVersion.h"

#include <windows.h>

VersionFields ReadWindowsVersion() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = 148;  // the plain (not EX) record, which every Windows accepts
  // On failure the zeroed record reads as platform 0: the 9x path.
  ::GetVersionExA(&info);
  return VersionFields{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

void SleepMilliseconds(uint32_t ms) {
  ::Sleep(ms);
}
