// VaristepDemo.exe: the same program on the simulated processor, whose load is this machine's.
#include <windows.h>

#include "app/MonitorApp.h"
#include "processor/WindowsVersion.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"

namespace {

void SleepMs(uint32_t ms) {
  ::Sleep(ms);
}

uint64_t FileTimeTicks(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Feeds the simulated processor with the host's real CPU load and time just before the program
// reads the current frequency, so the chart moves when the machine works.
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
    FILETIME idle, kernel, user;
    lastSample_ = ::GetTickCount();
    if (!::GetSystemTimes(&idle, &kernel, &user)) return;
    uint64_t idleTicks = FileTimeTicks(idle);
    uint64_t busyTicks = FileTimeTicks(kernel) + FileTimeTicks(user);  // kernel includes idle
    uint64_t total = busyTicks - lastTotal_;
    uint64_t idled = idleTicks - lastIdle_;
    if (lastTotal_ != 0 && total > 0 && idled <= total) {
      processor_.SetLoad(static_cast<int>(100 - idled * 100 / total));
    }
    lastTotal_ = busyTicks;
    lastIdle_ = idleTicks;
  }

  sim::SimProcessor& processor_;
  DWORD start_;
  DWORD lastSample_ = 0;
  uint64_t lastTotal_ = 0;
  uint64_t lastIdle_ = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static sim::SimProcessor processor(sim::Profile::Default);
  static HostLoadCpuid cpuid(processor);
  static sim::SimDriverPort driverPort(processor);
  static sim::SimPci pci(processor);
  monitor::ProcessorPlatform platform = {&cpuid, &driverPort, &pci, &SleepMs, &ReadWindowsVersion};
  return app::RunProgram(platform);
}
