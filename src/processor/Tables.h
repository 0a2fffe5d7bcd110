// Constant tables of the processor family: the 32 frequencies and the two 32-entry voltage
// tables whose indexes are the bit numbers of the frequency and voltage bitmaps, and the model
// names.
#pragma once

#include <cstdint>

constexpr int TableSize = 32;

enum class VoltageTable { A, B };

extern const int32_t frequencyTable[TableSize];
extern const float voltageTableA[TableSize];
extern const float voltageTableB[TableSize];

// Model text for "ZN%s": the row is chosen by the model nibble (0 or not), the column by whether
// the L2 cache is exactly 512 KB.
struct ModelName {
  const char* largeCache;
  const char* otherCache;
  VoltageTable voltageTable;
};
extern const ModelName modelNameTable[2];

const float* VoltageTableEntries(VoltageTable table);
