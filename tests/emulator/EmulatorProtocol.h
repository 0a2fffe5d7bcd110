// What the debugger harness, the kernel driver and the VxD stand-in say to each other. The
// program under test never sees these codes: it sends only its own requests, which the driver
// checks against its own copies of the real control codes below.
#pragma once

#include <stdint.h>

namespace emulator {

// The real driver's contract, kept here apart from the program's constants, so that a program
// built with a wrong code is refused instead of agreeing with itself.
constexpr uint32_t RealCodeNt = 0x9C40E804;
constexpr uint32_t RealCode9x = 1;

// Private requests: device type 0x9C40, functions 0xB01.., METHOD_BUFFERED, any access.
constexpr uint32_t PrivateCode(uint32_t function) {
  return (0x9C40u << 16) | (function << 2);
}
constexpr uint32_t CodeConfigure = PrivateCode(0xB01);  // ConfigureIn -> ConfigureOut
constexpr uint32_t CodeCpuid = PrivateCode(0xB02);      // CpuidIn -> CpuidOut
constexpr uint32_t CodePci = PrivateCode(0xB03);        // PciIn -> PciOut
constexpr uint32_t CodeForward = PrivateCode(0xB04);    // ForwardIn -> the program's reply
constexpr uint32_t CodeLog = PrivateCode(0xB05);        // LogIn -> LogOut

struct ConfigureIn {
  uint32_t profile;        // a sim::Profile
  uint32_t refuseRequest;  // refuse the program's request with this number (from 1); 0: none
  uint32_t keep;           // 1: another harness's program runs: keep its processor and plan
};
struct ConfigureOut {
  uint32_t requests;  // the program's requests so far
};

struct CpuidIn {
  uint32_t leaf;
  int32_t load;      // percent, or -1: unchanged
  uint32_t clockMs;  // the harness's clock since it started
};
struct CpuidOut {
  uint32_t eax, ebx, ecx, edx;
};

struct PciIn {
  uint32_t address;  // the word last written to port 0xCF8
};
struct PciOut {
  uint32_t value;
};

// A request the VxD received from the program: Wine passes it no handle, so it is forwarded
// with the code and input as the program gave them; the output buffer is the program's.
struct ForwardIn {
  uint32_t code;
  uint32_t inSize;
  uint8_t in[12];
};

struct LogIn {
  uint32_t first;  // index of the first entry wanted
};
struct LogEntry {
  uint32_t code;
  uint32_t low, high, msr;
  uint32_t isRead;    // a 12-byte output buffer came with it
  uint32_t accepted;  // 0: refused
};
constexpr uint32_t LogPage = 256;
constexpr uint32_t LogCapacity = 8192;
struct LogOut {
  uint32_t total;  // entries logged so far (at most LogCapacity)
  uint32_t count;  // entries in this page
  LogEntry entries[LogPage];
};

}  // namespace emulator
