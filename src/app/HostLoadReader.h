// This machine's load for the demo, from the best source the running Windows has, chosen once:
// per-processor times (NT family), the whole system's times, the 9x family's CPU-usage counter,
// and where none answers a slow built-in pattern.
#pragma once

#include <windows.h>

#include <cstdint>

#include "sim/HostLoad.h"

namespace app {

// The system functions the reader calls, so that tests can stand in for each source.
struct HostLoadApi {
  using QuerySystemFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  using SystemTimesFn = BOOL(WINAPI*)(FILETIME*, FILETIME*, FILETIME*);
  using RegOpenFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
  using RegQueryFn = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
  using RegCloseFn = LONG(WINAPI*)(HKEY);

  QuerySystemFn querySystem;  // NtQuerySystemInformation; null where the system has none
  SystemTimesFn systemTimes;  // GetSystemTimes; null before XP SP1
  RegOpenFn regOpen;
  RegQueryFn regQuery;
  RegCloseFn regClose;

  // The running system's.
  static HostLoadApi System();
};

// One processor's record of SystemProcessorPerformanceInformation (class 8); kernel time
// includes idle.
struct ProcessorPerformance {
  LARGE_INTEGER idle;
  LARGE_INTEGER kernel;
  LARGE_INTEGER user;
  LARGE_INTEGER reserved[2];
  ULONG interrupts;
};

class HostLoadReader {
 public:
  enum class Source { PerProcessor, SystemTimes, UsageCounter, Pattern };

  explicit HostLoadReader(const HostLoadApi& api = HostLoadApi::System());
  ~HostLoadReader();
  HostLoadReader(const HostLoadReader&) = delete;
  HostLoadReader& operator=(const HostLoadReader&) = delete;

  Source Which() const { return source_; }
  // The load in percent since the previous sample, or -1 when there is none yet.
  int Sample(uint32_t nowMs);

 private:
  size_t ReadPerProcessor(sim::ProcessorTimes* times) const;
  size_t ReadSystemTimes(sim::ProcessorTimes* times) const;
  int ReadUsageCounter() const;
  bool TouchCounter(const char* subkey) const;

  HostLoadApi api_;
  Source source_ = Source::Pattern;
  HKEY usageKey_ = nullptr;
  sim::BusiestLoad busiest_;
};

}  // namespace app
