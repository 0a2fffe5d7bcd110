// The texts of the program's string table.
#pragma once

#include <windows.h>

#include "base/FixedText.h"

// The text with this id; empty when there is none.
LongText LoadText(UINT id);
