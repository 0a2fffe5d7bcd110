// Kernel services of the processor set-up: the version fields that choose the driver path, and
// the sweep's wait.
#pragma once

#include <cstdint>

#include "processor/DriverPath.h"

VersionFields ReadWindowsVersion();

// Sleep, callable as the step table's SleepFn.
void SleepMilliseconds(uint32_t ms);
