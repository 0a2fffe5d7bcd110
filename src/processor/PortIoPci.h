// PCI configuration space by port I/O (0xCF8/0xCFC). Only the Windows 9x family lets a program
// touch the ports; on the NT family the instruction faults, so callers use this only when osKind
// is 0.
#pragma once

#include "processor/PciSource.h"

class PortIoPci : public PciSource {
 public:
  uint32_t ReadConfigDword(uint32_t address) const override;
};
