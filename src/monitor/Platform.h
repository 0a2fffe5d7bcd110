// Every platform call the monitor window's logic depends on, chosen once in main: the real CPUID,
// driver and shell in VaristepMonitor, the simulated processor with the real shell in
// VaristepDemo, fakes and recorders in tests.
#pragma once

#include "base/WindowsVersion.h"
#include "processor/Cpuid.h"
#include "processor/DriverPort.h"
#include "processor/PciSource.h"
#include "processor/ProcessorStart.h"
#include "ui/Shell.h"

namespace monitor {

struct Platform {
  CpuidSource* cpuid;
  DriverPort* driverPort;
  const PciSource* pci;  // null where user-mode port access is impossible
  SleepFn sleep;
  // Read once at start: it chooses the driver path and tells what the shell can do.
  VersionFields windows;
  ui::Shell shell;
};

}  // namespace monitor
