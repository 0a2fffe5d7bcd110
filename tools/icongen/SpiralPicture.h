// The picture of the program's icons: a spiral with a tail, green from the centre outwards up to
// a speed level and yellow beyond it.
#pragma once

#include "IcoFile.h"

namespace icongen {

constexpr uint8_t Transparent = 0;
constexpr uint8_t Green = 10;
constexpr uint8_t Yellow = 11;

// Highest speed level: at this level the whole spiral, tail included, is green.
constexpr int TopLevel = 7;

// Draws the spiral into a size x size image (32 or 16). Parts the speed level has reached are
// green, the rest yellow; level 0 gives the all-yellow picture.
IconImage DrawSpiral(int size, int greenLevel);

}  // namespace icongen
