// VaristepMonitor.exe: the real CPUID instruction and the real power-management driver.
#include <windows.h>

#include "app/MonitorApp.h"
#include "app/SystemShell.h"
#include "processor/Win32Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static HardwareCpuid cpuid;
  static Win32DriverPort driverPort;
  static PortIoPci pci;
  monitor::Platform platform = {
      &cpuid, &driverPort, &pci, &SleepMilliseconds, ReadWindowsVersion(), app::SystemShell()};
  return app::RunProgram(platform);
}
