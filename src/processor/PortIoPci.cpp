#include "processor/PortIoPci.h"

uint32_t PortIoPci::ReadConfigDword(uint32_t address) const {
  uint32_t value = 0;
  __asm__ __volatile__("outl %0, %w1" : : "a"(address), "Nd"(static_cast<uint16_t>(0xCF8)));
  __asm__ __volatile__("inl %w1, %0" : "=a"(value) : "Nd"(static_cast<uint16_t>(0xCFC)));
  return value;
}
