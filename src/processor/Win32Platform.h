// The real processor seams on Windows: the CPUID instruction, the driver's platform calls, PCI
// configuration space by port I/O, the version that chooses the driver path, and the sweep's wait.
#pragma once

#include <cstdint>

#include "processor/Cpuid.h"
#include "processor/DriverPath.h"
#include "processor/DriverPort.h"
#include "processor/PciSource.h"

class HardwareCpuid : public CpuidSource {
 public:
  CpuidResult Query(uint32_t leaf) override;
};

class Win32DriverPort : public DriverPort {
 public:
  DeviceHandle Open(const char* path, uint32_t flagsAndAttributes) override;
  uint32_t LastError() override;
  bool Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize, void* out,
               uint32_t outSize, uint32_t* bytesReturned) override;
  bool Close(DeviceHandle device) override;
};

// Only the Windows 9x family lets a program touch ports 0xCF8/0xCFC; on the NT family the
// instruction faults, so callers use this only on 9x.
class PortIoPci : public PciSource {
 public:
  uint32_t ReadConfigDword(uint32_t address) const override;
};

VersionFields ReadWindowsVersion();

// Sleep, callable as the step table's SleepFn.
void SleepMilliseconds(uint32_t ms);
