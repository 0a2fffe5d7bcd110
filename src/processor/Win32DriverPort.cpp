#include "processor/Win32DriverPort.h"

#include <windows.h>

static_assert(sizeof(DeviceHandle) == sizeof(HANDLE), "handles pass through unchanged");

DeviceHandle Win32DriverPort::Open(const char* path, uint32_t flagsAndAttributes) {
  HANDLE device =
      ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, flagsAndAttributes, nullptr);
  return static_cast<DeviceHandle>(device);
}

uint32_t Win32DriverPort::LastError() {
  return ::GetLastError();
}

bool Win32DriverPort::Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize,
                              void* out, uint32_t outSize, uint32_t* bytesReturned) {
  DWORD returned = 0;
  BOOL ok = ::DeviceIoControl(static_cast<HANDLE>(device), code, const_cast<void*>(in), inSize, out,
                              outSize, &returned, nullptr);
  if (bytesReturned != nullptr) *bytesReturned = returned;
  return ok != FALSE;
}

bool Win32DriverPort::Close(DeviceHandle device) {
  return ::CloseHandle(static_cast<HANDLE>(device)) != FALSE;
}
