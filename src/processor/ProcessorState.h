// Process-wide values kept beside the step table: feature flags, the Windows family and the
// bitmaps of the steps against the constant tables.
#pragma once

#include <cstdint>

#include "processor/Tables.h"

struct ProcessorState {
  bool hasVaristep = true;
  bool hasStepRegisters = true;
  // 0 Windows 9x family, 1 other NT family, 2 Windows 2000, 3 Windows XP.
  int osKind = 0;
  VoltageTable voltageTable = VoltageTable::A;
  uint32_t frequencyBits = 0;
  uint32_t voltageBits = 0;
};
