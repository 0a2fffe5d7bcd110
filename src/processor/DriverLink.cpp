#include "processor/DriverLink.h"

bool DriverLink::Open(const DriverPath& path) {
  if (open_) Close();
  controlCode = path.controlCode;
  openFlags = path.openFlags;
  device = port_.Open(path.path, openFlags);
  open_ = device != InvalidDevice();
  // Taken at once: any later platform call may overwrite the thread's last error.
  if (!open_) openError_ = port_.LastError();
  return open_;
}

bool DriverLink::ReadRegister(uint32_t msr, uint32_t lowFiller, uint32_t highFiller, uint32_t& low,
                              uint32_t& high) {
  if (!open_) return false;
  request = MsrRequest{lowFiller, highFiller, msr};
  if (!port_.Control(device, controlCode, &request, sizeof request, &reply, sizeof reply,
                     &bytesReturned)) {
    return false;
  }
  low = reply.low;
  high = reply.high;
  return true;
}

bool DriverLink::WriteRegister(uint32_t msr, uint32_t low, uint32_t high) {
  if (!open_) return false;
  request = MsrRequest{low, high, msr};
  // No output buffer: that is how the driver tells a write from a read.
  return port_.Control(device, controlCode, &request, sizeof request, nullptr, 0, &bytesReturned);
}

void DriverLink::PrepareWindowRequest() {
  windowRequest = MsrRequest{FillerWord, FillerWord, MsrScalingWindow};
}

bool DriverLink::ReadWindow() {
  if (!open_) return false;
  return port_.Control(device, controlCode, &windowRequest, sizeof windowRequest, &windowReply,
                       sizeof windowReply, &bytesReturned);
}

void DriverLink::Close() {
  if (!open_) return;
  if (device != InvalidDevice()) port_.Close(device);
  open_ = false;
}
