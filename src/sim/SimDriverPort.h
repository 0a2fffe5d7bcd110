// The power-management driver, simulated over a SimProcessor, with a fault plan for tests.
#pragma once

#include <cstdint>

#include "base/FixedList.h"
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
  void RefuseRequest(uint32_t number) { Add(refusedNumbers_, number); }
  void RefuseRegister(uint32_t msr) { Add(refusedRegisters_, msr); }
  void FailOpen(uint32_t error) { openError_ = error; }
  void ClearFaults();
  uint32_t RequestCount() const { return requestCount_; }

  struct Logged {
    MsrRequest request;
    bool isRead;
    bool accepted;
  };
  // The most recent requests, oldest first; at most LogLimit of them.
  static constexpr size_t LogLimit = 4096;
  using RequestLog = FixedList<Logged, LogLimit>;
  const RequestLog& Log() const { return log_; }
  uint32_t OpenFlags() const { return openFlags_; }

 private:
  struct Device {
    DeviceHandle handle;
    uint32_t code;
    bool open;
  };

  // A fault plan names a few requests or registers; more than fit are ignored.
  using Numbers = FixedList<uint32_t, 64>;
  static void Add(Numbers& numbers, uint32_t number) {
    if (!numbers.Contains(number)) numbers.push_back(number);
  }

  SimProcessor& processor_;
  const char* installedOnly_ = nullptr;
  // Every open adds one; the programs open the device once per run.
  FixedList<Device, 64> devices_;
  uint32_t lastError_ = 0;
  uint32_t openError_ = 0;
  uint32_t openFlags_ = 0;
  uint32_t requestCount_ = 0;
  Numbers refusedNumbers_;
  Numbers refusedRegisters_;
  RequestLog log_;
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
