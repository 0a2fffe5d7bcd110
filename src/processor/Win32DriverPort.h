// The driver's platform calls on Windows.
#pragma once

#include "processor/DriverPort.h"

class Win32DriverPort : public DriverPort {
 public:
  DeviceHandle Open(const char* path, uint32_t flagsAndAttributes) override;
  uint32_t LastError() override;
  bool Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize, void* out,
               uint32_t outSize, uint32_t* bytesReturned) override;
  bool Close(DeviceHandle device) override;
};
