// PCI configuration space as a replaceable source. The clock dividers of the step table come
// from here on the Windows 9x family when the processor has no step registers.
#pragma once

#include <cstdint>

class PciSource {
 public:
  virtual ~PciSource() = default;
  // address is the word written to port 0xCF8 (enable bit, bus, device, function, offset).
  virtual uint32_t ReadConfigDword(uint32_t address) const = 0;
};

// Bus 0, device 0, function 0, offset 0xFC: the host bridge's clock-divider register.
constexpr uint32_t PciDividerAddress = 0x800000FC;
