// Process-wide values kept beside the step table: feature flags, the Windows family and the
// bitmaps of the steps against the constant tables.
#pragma once

#include <cstdint>

#include "processor/DriverPath.h"
#include "processor/Tables.h"

struct ProcessorState {
  bool hasVaristep = true;
  bool hasStepRegisters = true;
  OsKind osKind = OsKind::Windows9x;
  VoltageTable voltageTable = VoltageTable::A;
  uint32_t frequencyBits = 0;
  uint32_t voltageBits = 0;
};
