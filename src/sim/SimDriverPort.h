// The power-management driver, simulated over a SimProcessor, with a fault plan for tests.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "processor/DriverPort.h"
#include "processor/MsrRequest.h"
#include "processor/PciSource.h"
#include "sim/SimProcessor.h"

namespace sim {

class SimDriverPort : public DriverPort {
 public:
  explicit SimDriverPort(SimProcessor& processor) : processor_(processor) {}

  // The 9x and NT device paths open (only the installed one, after InstallOnly); anything else
  // fails with error 2 (file not found).
  DeviceHandle Open(const char* path, uint32_t flagsAndAttributes) override;
  uint32_t LastError() override { return lastError_; }
  // A request needs an open device, the control code of the path that opened it and a 12-byte
  // input; a 12-byte output buffer makes it a read, no output buffer a write.
  bool Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize, void* out,
               uint32_t outSize, uint32_t* bytesReturned) override;
  bool Close(DeviceHandle device) override;

  // As on a real machine, where only the running system's driver is installed.
  void InstallOnly(const char* path) { installedOnly_ = path; }

  // Fault plan. Requests count every Control call from 1, refused ones included.
  void RefuseRequest(uint32_t number) { refusedNumbers_.insert(number); }
  void RefuseRegister(uint32_t msr) { refusedRegisters_.insert(msr); }
  void FailOpen(uint32_t error) { openError_ = error; }
  void ClearFaults();
  uint32_t RequestCount() const { return requestCount_; }

  struct Logged {
    MsrRequest request;
    bool isRead;
    bool accepted;
  };
  // The most recent requests, oldest first; at most kLogLimit of them.
  const std::vector<Logged>& Log() const { return log_; }
  static constexpr size_t kLogLimit = 4096;
  uint32_t OpenFlags() const { return openFlags_; }

 private:
  struct Device {
    DeviceHandle handle;
    uint32_t code;
    bool open;
  };

  SimProcessor& processor_;
  const char* installedOnly_ = nullptr;
  std::vector<Device> devices_;
  uint32_t lastError_ = 0;
  uint32_t openError_ = 0;
  uint32_t openFlags_ = 0;
  uint32_t requestCount_ = 0;
  std::set<uint32_t> refusedNumbers_;
  std::set<uint32_t> refusedRegisters_;
  std::vector<Logged> log_;
};

// The host bridge's divider register as the 9x family reads it: the current step's dividers.
class SimPci : public PciSource {
 public:
  explicit SimPci(const SimProcessor& processor) : processor_(processor) {}
  uint32_t ReadConfigDword(uint32_t address) const override;

 private:
  const SimProcessor& processor_;
};

}  // namespace sim
