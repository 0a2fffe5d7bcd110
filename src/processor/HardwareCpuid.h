// CPUID executed on the processor the program runs on.
#pragma once

#include "processor/Cpuid.h"

class HardwareCpuid : public CpuidSource {
 public:
  CpuidResult Query(uint32_t leaf) override;
};
