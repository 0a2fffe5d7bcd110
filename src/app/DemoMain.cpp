// VaristepDemo.exe: the same program on the simulated processor, whose load is this machine's.
#include <windows.h>

#include "app/HostLoadReader.h"
#include "app/MonitorApp.h"
#include "app/SystemShell.h"
#include "base/FormatText.h"
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
      if (now - lastSample_ >= SamplePeriodMs) SampleLoad();
      processor_.SetClock(static_cast<uint32_t>(now - start_));
    }
    return processor_.Query(leaf);
  }

 private:
  static constexpr DWORD SamplePeriodMs = 250;

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

// The simulated driver has no device a debugger could watch, so the demo says which one set-up
// opened and the control code of its first request, once per open (Wine: WINEDEBUG=+debugstr).
class ReportingPort : public DriverPort {
 public:
  explicit ReportingPort(DriverPort& inner) : inner_(inner) {}

  DeviceHandle Open(const char* path, uint32_t flagsAndAttributes) override {
    path_ = path;
    reported_ = false;
    return inner_.Open(path, flagsAndAttributes);
  }
  uint32_t LastError() override { return inner_.LastError(); }
  bool Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize, void* out,
               uint32_t outSize, uint32_t* bytesReturned) override {
    if (!reported_ && path_ != nullptr) {
      reported_ = true;
      char text[96];
      FormatText(text, sizeof text, "VaristepDemo: %s control code %lu\n", path_,
                 static_cast<unsigned long>(code));
      ::OutputDebugStringA(text);
    }
    return inner_.Control(device, code, in, inSize, out, outSize, bytesReturned);
  }
  bool Close(DeviceHandle device) override { return inner_.Close(device); }

 private:
  DriverPort& inner_;
  const char* path_ = nullptr;
  bool reported_ = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // On the stack, not static: the driver's request log would otherwise be 64 KB of zeros in the
  // exe's data.
  sim::SimProcessor processor(sim::Profile::Default);
  HostLoadCpuid cpuid(processor);
  sim::SimDriverPort simPort(processor);
  // The VxD exists only on the 9x family and the NT driver only on NT: set-up must pick the path
  // of the system it runs on.
  const VersionFields windows = ReadWindowsVersion();
  simPort.InstallOnly(windows.platformId < VER_PLATFORM_WIN32_NT ? DevicePath9x : DevicePathNt);
  ReportingPort driverPort(simPort);
  sim::SimPci pci(processor);
  monitor::Platform platform = {&cpuid,  &driverPort,       &pci, &SleepMilliseconds,
                                windows, app::SystemShell()};
  return app::RunProgram(platform);
}
