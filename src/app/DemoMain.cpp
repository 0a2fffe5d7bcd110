// VaristepDemo.exe: the same program on the simulated processor, whose load is this machine's.
#include <windows.h>

#include "app/HostLoadReader.h"
#include "app/MonitorApp.h"
#include "processor/Win32Platform.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"

namespace {

// Feeds the simulated processor with the host's real CPU load (its busiest processor's) and time
// just before the program reads the current frequency, so the chart moves when the machine works.
class HostLoadCpuid : public CpuidSource {
 public:
  explicit HostLoadCpuid(sim::SimProcessor& processor)
      : processor_(processor), start_(::GetTickCount()) {
    SampleLoad();
  }

  CpuidResult Query(uint32_t leaf) override {
    if (leaf == LeafCurrentState) {
      DWORD now = ::GetTickCount();
      if (now - lastSample_ >= kSamplePeriodMs) SampleLoad();
      processor_.SetClock(static_cast<uint32_t>(now - start_));
    }
    return processor_.Query(leaf);
  }

 private:
  static constexpr DWORD kSamplePeriodMs = 250;

  void SampleLoad() {
    lastSample_ = ::GetTickCount();
    int load = load_.Sample(static_cast<uint32_t>(lastSample_ - start_));
    if (load >= 0) processor_.SetLoad(load);
  }

  sim::SimProcessor& processor_;
  DWORD start_;
  DWORD lastSample_ = 0;
  app::HostLoadReader load_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // On the stack, not static: the driver's request log would otherwise be 64 KB of zeros in the
  // exe's data.
  sim::SimProcessor processor(sim::Profile::Default);
  HostLoadCpuid cpuid(processor);
  sim::SimDriverPort driverPort(processor);
  // The VxD exists only on the 9x family and the NT driver only on NT: set-up must pick the path
  // of the system it runs on.
  driverPort.InstallOnly(ReadWindowsVersion().platformId < VER_PLATFORM_WIN32_NT ? DevicePath9x
                                                                                 : DevicePathNt);
  sim::SimPci pci(processor);
  monitor::ProcessorPlatform platform = {&cpuid, &driverPort, &pci, &SleepMilliseconds,
                                         &ReadWindowsVersion};
  return app::RunProgram(platform);
}
