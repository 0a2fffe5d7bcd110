// The seams the monitor window reaches the processor through, chosen once at start-up: the real
// CPUID and driver in VaristepMonitor, the simulated processor in VaristepDemo, fakes in tests.
#pragma once

#include "processor/Cpuid.h"
#include "processor/DriverPath.h"
#include "processor/DriverPort.h"
#include "processor/PciSource.h"
#include "processor/ProcessorStart.h"

namespace monitor {

struct ProcessorPlatform {
  CpuidSource* cpuid;
  DriverPort* driverPort;
  const PciSource* pci;  // null where user-mode port access is impossible
  SleepFn sleep;
  VersionFields (*readVersion)();
};

}  // namespace monitor
