// The read/write seam every register algorithm uses; DriverLink is the real one, tests and the
// simulator bring their own.
#pragma once

#include <cstdint>

class RegisterIo {
 public:
  virtual ~RegisterIo() = default;
  // lowFiller/highFiller are the words sent in the request; low/high receive the reply and are
  // left untouched when the read fails.
  virtual bool ReadRegister(uint32_t msr, uint32_t lowFiller, uint32_t highFiller, uint32_t& low,
                            uint32_t& high) = 0;
  virtual bool WriteRegister(uint32_t msr, uint32_t low, uint32_t high) = 0;
};
