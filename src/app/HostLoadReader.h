// This machine's load for the demo, from the best source the running Windows has, chosen once:
// per-processor times (NT family), the whole system's times, the 9x family's CPU-usage counter,
// and where none answers a slow built-in pattern.
#pragma once

#include <windows.h>

#include <cstdint>

#include "sim/HostLoad.h"

namespace app {

class HostLoadReader {
 public:
  enum class Source { PerProcessor, SystemTimes, UsageCounter, Pattern };

  HostLoadReader();
  ~HostLoadReader();
  HostLoadReader(const HostLoadReader&) = delete;
  HostLoadReader& operator=(const HostLoadReader&) = delete;

  Source Which() const { return source_; }
  // The load in percent since the previous sample, or -1 when there is none yet.
  int Sample(uint32_t nowMs);

 private:
  using QuerySystemFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  using SystemTimesFn = BOOL(WINAPI*)(FILETIME*, FILETIME*, FILETIME*);

  size_t ReadPerProcessor(sim::ProcessorTimes* times) const;
  size_t ReadSystemTimes(sim::ProcessorTimes* times) const;
  int ReadUsageCounter() const;

  Source source_ = Source::Pattern;
  QuerySystemFn querySystem_ = nullptr;
  SystemTimesFn systemTimes_ = nullptr;
  HKEY usageKey_ = nullptr;
  sim::BusiestLoad busiest_;
};

}  // namespace app
