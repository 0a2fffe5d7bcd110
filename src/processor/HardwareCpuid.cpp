#include "processor/HardwareCpuid.h"

#include <cpuid.h>

CpuidResult HardwareCpuid::Query(uint32_t leaf) {
  // The raw instruction, not __get_cpuid: the maker's leaves (0x8086xxxx) lie outside the
  // ranges the helper checks, and the processor answers any leaf without faulting.
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid_count(leaf, 0, eax, ebx, ecx, edx);
  return CpuidResult{eax, ebx, ecx, edx};
}
