// The driver's platform calls in portable types, so DriverLink runs against the real device
// (Win32Platform.h) or the simulator alike.
#pragma once

#include <cstdint>

using DeviceHandle = void*;

// INVALID_HANDLE_VALUE.
inline DeviceHandle InvalidDevice() {
  return reinterpret_cast<DeviceHandle>(intptr_t{-1});
}

class DriverPort {
 public:
  virtual ~DriverPort() = default;
  // CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, null,
  // OPEN_EXISTING, flagsAndAttributes, null).
  virtual DeviceHandle Open(const char* path, uint32_t flagsAndAttributes) = 0;
  virtual uint32_t LastError() = 0;
  // DeviceIoControl without overlapped I/O; true on a nonzero return.
  virtual bool Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize,
                       void* out, uint32_t outSize, uint32_t* bytesReturned) = 0;
  virtual bool Close(DeviceHandle device) = 0;
};
