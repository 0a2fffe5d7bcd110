#include "sim/SimDriverPort.h"

#include <cstring>

#include "processor/DriverPath.h"

namespace sim {

namespace {

constexpr uint32_t ErrorFileNotFound = 2;
constexpr uint32_t ErrorInvalidHandle = 6;
constexpr uint32_t ErrorInvalidFunction = 1;
constexpr uint32_t ErrorTooManyOpenFiles = 4;

}  // namespace

DeviceHandle SimDriverPort::Open(const char* path, uint32_t flagsAndAttributes) {
  uint32_t code = 0;
  if (path != nullptr && installedOnly_ != nullptr && std::strcmp(path, installedOnly_) != 0) {
    lastError_ = ErrorFileNotFound;
    return InvalidDevice();
  }
  if (path != nullptr && std::strcmp(path, DevicePathNt) == 0) {
    code = ControlCodeNt;
  } else if (path != nullptr && std::strcmp(path, DevicePath9x) == 0) {
    code = ControlCode9x;
  } else {
    lastError_ = ErrorFileNotFound;
    return InvalidDevice();
  }
  if (openError_ != 0) {
    lastError_ = openError_;
    return InvalidDevice();
  }
  openFlags_ = flagsAndAttributes;
  // Small distinct non-null handles, never INVALID_HANDLE_VALUE.
  DeviceHandle handle = reinterpret_cast<DeviceHandle>(uintptr_t{0x100} + 4 * devices_.size());
  if (!devices_.push_back(Device{handle, code, true})) {
    lastError_ = ErrorTooManyOpenFiles;
    return InvalidDevice();
  }
  lastError_ = 0;
  return handle;
}

bool SimDriverPort::Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize,
                            void* out, uint32_t outSize, uint32_t* bytesReturned) {
  ++requestCount_;
  MsrRequest request = {};
  bool wellFormed = in != nullptr && inSize == sizeof request;
  if (wellFormed) std::memcpy(&request, in, sizeof request);
  bool isRead = out != nullptr && outSize > 0;

  bool accepted = false;
  const Device* target = nullptr;
  for (const Device& d : devices_) {
    if (d.handle == device && d.open) target = &d;
  }
  if (target == nullptr) {
    lastError_ = ErrorInvalidHandle;
  } else if (code != target->code || !wellFormed || (isRead && outSize < sizeof request) ||
             (!isRead && outSize != 0)) {
    lastError_ = ErrorInvalidFunction;
  } else if (refusedNumbers_.Contains(requestCount_) || refusedRegisters_.Contains(request.msr)) {
    lastError_ = ErrorInvalidFunction;
  } else if (isRead) {
    MsrRequest reply = {0, 0, request.msr};
    accepted = processor_.ReadMsr(request.msr, reply.low, reply.high);
    if (accepted) {
      std::memcpy(out, &reply, sizeof reply);
      if (bytesReturned != nullptr) *bytesReturned = sizeof reply;
    }
  } else {
    accepted = processor_.WriteMsr(request.msr, request.low, request.high);
    if (accepted && bytesReturned != nullptr) *bytesReturned = 0;
  }
  // The demo runs for weeks: keep only the recent requests.
  if (log_.size() >= LogLimit) log_.DropFront(LogLimit / 2);
  log_.push_back(Logged{request, isRead, accepted});
  return accepted;
}

bool SimDriverPort::Close(DeviceHandle device) {
  for (Device& d : devices_) {
    if (d.handle == device && d.open) {
      d.open = false;
      return true;
    }
  }
  lastError_ = ErrorInvalidHandle;
  return false;
}

void SimDriverPort::ClearFaults() {
  refusedNumbers_.clear();
  refusedRegisters_.clear();
  openError_ = 0;
}

uint32_t SimPci::ReadConfigDword(uint32_t address) const {
  // Nothing answers elsewhere: an empty PCI read is all ones.
  if (address != PciDividerAddress) return 0xFFFFFFFF;
  const SimStep& step = processor_.Current();
  return ((step.cdDivider & 0xF) << 20) | ((step.sdDivider & 0xF) << 16);
}

}  // namespace sim
