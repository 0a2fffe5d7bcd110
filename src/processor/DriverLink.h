// The link to the power-management driver: one open device and the 12-byte requests sent to it.
#pragma once

#include <cstdint>

#include "processor/DriverPath.h"
#include "processor/DriverPort.h"
#include "processor/MsrRequest.h"
#include "processor/RegisterIo.h"

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

  // The sampling tick's window read, on its own request/reply pair.
  void PrepareWindowRequest();
  bool ReadWindow();

  // Closes the device. device keeps its old value; the link no longer uses it.
  void Close();

  DeviceHandle device = InvalidDevice();
  uint32_t controlCode = 0;
  MsrRequest request = {};
  MsrRequest reply = {};
  MsrRequest windowRequest = {};
  MsrRequest windowReply = {};
  uint32_t openFlags = 0;
  uint32_t bytesReturned = 0;

 private:
  DriverPort& port_;
  bool open_ = false;
  uint32_t openError_ = 0;
};
