// CPUID as a replaceable source: every CPUID the program executes goes through CpuidSource, so
// identification and the step table run unchanged against a simulated processor.
#pragma once

#include <cstdint>

struct CpuidResult {
  uint32_t eax, ebx, ecx, edx;
};

class CpuidSource {
 public:
  virtual ~CpuidSource() = default;
  virtual CpuidResult Query(uint32_t leaf) = 0;
};

// Leaves the program reads.
constexpr uint32_t LeafExtendedVendor = 0x80000000;
constexpr uint32_t LeafSignature = 1;
constexpr uint32_t LeafSerialNumber = 3;
constexpr uint32_t LeafBrandFirst = 0x80000002;
constexpr uint32_t LeafBrandLast = 0x80000004;
constexpr uint32_t LeafL2Cache = 0x80000006;
constexpr uint32_t LeafRevision = 0x80860001;
constexpr uint32_t LeafXtlVersion = 0x80860002;
constexpr uint32_t LeafCurrentState = 0x80860007;

// The current core frequency in MHz, as the sampling tick reads it.
inline int32_t CurrentFrequencyMHz(CpuidSource& cpuid) {
  return static_cast<int32_t>(cpuid.Query(LeafCurrentState).eax);
}

// Feature flags in EDX of LeafRevision.
constexpr uint32_t VaristepFlag = 0x2;
constexpr uint32_t StepRegistersFlag = 0x8;
