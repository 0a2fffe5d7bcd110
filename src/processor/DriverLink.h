// The link to the power-management driver: one open device and the 12-byte requests sent to it.
#pragma once

#include <cstdint>

#include "processor/DriverPath.h"
#include "processor/DriverPort.h"
#include "processor/MsrRequest.h"
#include "processor/RegisterIo.h"

// The sampling tick's read of the scaling window. After a refused read the words are those of the
// last read that succeeded (0 before any), so the limit traces keep their place.
struct WindowReading {
  bool ok;
  uint32_t lower;
  uint32_t upper;
};

class DriverLink : public RegisterIo {
 public:
  explicit DriverLink(DriverPort& port) : port_(port) {}
  DriverLink(const DriverLink&) = delete;
  DriverLink& operator=(const DriverLink&) = delete;

  // Takes the control code and open flags of the path and opens the device. On failure device
  // is InvalidDevice() and the port's LastError() tells why.
  bool Open(const DriverPath& path);
  bool IsOpen() const { return open_; }
  // The port's error code taken right after the last failed Open; 0 before any failure.
  uint32_t OpenError() const { return openError_; }

  // A read sends request with the 12-byte reply buffer; a write sends no output buffer. Only the
  // driver's return value decides success. Without an open device both fail without a call.
  bool ReadRegister(uint32_t msr, uint32_t lowFiller, uint32_t highFiller, uint32_t& low,
                    uint32_t& high) override;
  bool WriteRegister(uint32_t msr, uint32_t low, uint32_t high) override;

  // The scaling window for the sampling tick, on a request/reply pair of its own: a tick that
  // runs inside a set-up box never disturbs the set-up's request.
  WindowReading ReadWindow();

  // Closes the device. Device() keeps its old value; the link no longer uses it.
  void Close();

  // What was sent and received, for tests: the buffers handed to the driver are these.
  DeviceHandle Device() const { return device_; }
  uint32_t ControlCode() const { return controlCode_; }
  uint32_t OpenFlags() const { return openFlags_; }
  const MsrRequest& Request() const { return request_; }
  const MsrRequest& Reply() const { return reply_; }
  const MsrRequest& WindowRequest() const { return windowRequest_; }
  const MsrRequest& WindowReply() const { return windowReply_; }
  const uint32_t& BytesReturned() const { return bytesReturned_; }

 private:
  DriverPort& port_;
  DeviceHandle device_ = InvalidDevice();
  uint32_t controlCode_ = 0;
  uint32_t openFlags_ = 0;
  MsrRequest request_ = {};
  MsrRequest reply_ = {};
  MsrRequest windowRequest_ = {FillerWord, FillerWord, MsrScalingWindow};
  MsrRequest windowReply_ = {};
  uint32_t bytesReturned_ = 0;
  WindowReading lastWindow_ = {false, 0, 0};
  bool open_ = false;
  uint32_t openError_ = 0;
};
