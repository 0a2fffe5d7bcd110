// VaristepMonitor.exe: the real CPUID instruction and the real power-management driver.
#include <windows.h>

#include "app/MonitorApp.h"
#include "processor/Win32Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static HardwareCpuid cpuid;
  static Win32DriverPort driverPort;
  static PortIoPci pci;
  monitor::ProcessorPlatform platform = {&cpuid, &driverPort, &pci, &SleepMilliseconds,
                                         &ReadWindowsVersion};
  return app::RunProgram(platform);
}
