#include "processor/DriverLink.h"

bool DriverLink::Open(const DriverPath& path) {
  if (open_) Close();
  controlCode_ = path.controlCode;
  openFlags_ = path.openFlags;
  device_ = port_.Open(path.path, openFlags_);
  open_ = device_ != InvalidDevice();
  // Taken at once: any later platform call may overwrite the thread's last error.
  if (!open_) openError_ = port_.LastError();
  return open_;
}

bool DriverLink::ReadRegister(uint32_t msr, uint32_t lowFiller, uint32_t highFiller, uint32_t& low,
                              uint32_t& high) {
  if (!open_) return false;
  request_ = MsrRequest{lowFiller, highFiller, msr};
  if (!port_.Control(device_, controlCode_, &request_, sizeof request_, &reply_, sizeof reply_,
                     &bytesReturned_)) {
    return false;
  }
  low = reply_.low;
  high = reply_.high;
  return true;
}

bool DriverLink::WriteRegister(uint32_t msr, uint32_t low, uint32_t high) {
  if (!open_) return false;
  request_ = MsrRequest{low, high, msr};
  // No output buffer: that is how the driver tells a write from a read.
  return port_.Control(device_, controlCode_, &request_, sizeof request_, nullptr, 0,
                       &bytesReturned_);
}

WindowReading DriverLink::ReadWindow() {
  bool ok = open_ && port_.Control(device_, controlCode_, &windowRequest_, sizeof windowRequest_,
                                   &windowReply_, sizeof windowReply_, &bytesReturned_);
  // Whatever a refusing driver left in the reply, the limits stay where the last good read put
  // them.
  if (ok) lastWindow_ = WindowReading{true, windowReply_.low, windowReply_.high};
  return WindowReading{ok, lastWindow_.lower, lastWindow_.upper};
}

void DriverLink::Close() {
  if (!open_) return;
  if (device_ != InvalidDevice()) port_.Close(device_);
  open_ = false;
}
