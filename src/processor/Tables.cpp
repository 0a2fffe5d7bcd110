#include "processor/Tables.h"

// 667, not 666: the bitmap bit 14 depends on it.
const int32_t frequencyTable[TableSize] = {
    200, 233, 266, 300, 333, 366, 400, 433, 466,  500,  533,  566,  600,  633,  667,  700,
    733, 766, 800, 833, 866, 900, 933, 966, 1000, 1033, 1066, 1100, 1133, 1166, 1200, 1233};

const float voltageTableA[TableSize] = {0.925f, 0.95f, 0.975f, 1.0f, 1.025f, 1.05f, 1.075f, 1.1f,
                                        1.125f, 1.15f, 1.175f, 1.2f, 1.225f, 1.25f, 1.275f, 1.3f,
                                        1.35f,  1.4f,  1.45f,  1.5f, 1.55f,  1.6f,  1.65f,  1.7f,
                                        1.75f,  1.8f,  1.85f,  1.9f, 1.95f,  2.0f,  2.05f,  2.1f};

const float voltageTableB[TableSize] = {0.6f, 0.625f, 0.65f, 0.675f, 0.7f, 0.725f, 0.75f, 0.775f,
                                        0.8f, 0.825f, 0.85f, 0.875f, 0.9f, 0.925f, 0.95f, 0.975f,
                                        1.0f, 1.05f,  1.1f,  1.15f,  1.2f, 1.25f,  1.3f,  1.35f,
                                        1.4f, 1.45f,  1.5f,  1.55f,  1.6f, 1.65f,  1.7f,  1.75f};

const ModelName modelNameTable[2] = {
    {"2720", "2710", VoltageTable::A},  // model nibble 0
    {"2730", "2715", VoltageTable::B},  // model nibble not 0
};

const float* VoltageTableEntries(VoltageTable table) {
  return table == VoltageTable::A ? voltageTableA : voltageTableB;
}
