// The one record of every register access the driver understands: three little-endian 32-bit
// words, used as request and as reply.
#pragma once

#include <cstdint>

struct MsrRequest {
  uint32_t low, high, msr;
};
static_assert(sizeof(MsrRequest) == 12, "the driver reads exactly 12 bytes");

// Model-specific registers.
constexpr uint32_t MsrSerialControl = 0x119;       // low bit 21: serial number disabled
constexpr uint32_t MsrScalingWindow = 0x80868010;  // low = lower level, high = upper level
constexpr uint32_t MsrScalingPolicy = 0x80868011;  // low != 0: Performance
constexpr uint32_t MsrStepSelect = 0x80868018;     // write low = index; read high = last index
constexpr uint32_t MsrStepLevel = 0x80868019;      // low = level of the selected step
constexpr uint32_t MsrStepFrequencyVoltage = 0x8086801A;  // low = MHz, high = mV
constexpr uint32_t MsrStepDividers = 0x8086801B;          // high = CD divider, low = SD divider

// Words a read request carries where there is no value to send. The driver expects exactly these.
constexpr uint32_t FillerWord = 256;
constexpr uint32_t ZeroWord = 0;

constexpr uint32_t SerialDisabledBit = 0x200000;
