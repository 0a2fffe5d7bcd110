#include "app/HostLoadReader.h"

namespace app {

namespace {

// SystemProcessorPerformanceInformation: one record per processor; kernel time includes idle.
constexpr ULONG kProcessorPerformanceClass = 8;
struct ProcessorPerformance {
  LARGE_INTEGER idle;
  LARGE_INTEGER kernel;
  LARGE_INTEGER user;
  LARGE_INTEGER reserved[2];
  ULONG interrupts;
};

// The 9x family's performance counters live under HKEY_DYN_DATA: reading a counter's name under
// StartStat starts it, StatData holds its value, StopStat stops it.
const HKEY kDynData = HKEY_DYN_DATA;
constexpr const char* kUsageCounter = "KERNEL\\CPUUsage";

uint64_t Ticks(LARGE_INTEGER value) {
  return static_cast<uint64_t>(value.QuadPart);
}

uint64_t Ticks(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

bool TouchCounter(const char* subkey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(kDynData, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG status = ::RegQueryValueExA(key, kUsageCounter, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

template <typename Fn>
Fn Lookup(const char* module, const char* name) {
  HMODULE handle = ::GetModuleHandleA(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

}  // namespace

HostLoadReader::HostLoadReader() {
  sim::ProcessorTimes probe[sim::BusiestLoad::kMaxProcessors];
  querySystem_ = Lookup<QuerySystemFn>("ntdll.dll", "NtQuerySystemInformation");
  systemTimes_ = Lookup<SystemTimesFn>("kernel32.dll", "GetSystemTimes");
  if (querySystem_ != nullptr && ReadPerProcessor(probe) != 0) {
    source_ = Source::PerProcessor;
  } else if (systemTimes_ != nullptr && ReadSystemTimes(probe) != 0) {
    source_ = Source::SystemTimes;
  } else if (TouchCounter("PerfStats\\StartStat")) {
    if (::RegOpenKeyExA(kDynData, "PerfStats\\StatData", 0, KEY_QUERY_VALUE, &usageKey_) ==
            ERROR_SUCCESS &&
        ReadUsageCounter() >= 0) {
      source_ = Source::UsageCounter;
    } else {
      // Started but unreadable: stop the counter again rather than leave it running.
      if (usageKey_ != nullptr) ::RegCloseKey(usageKey_);
      usageKey_ = nullptr;
      TouchCounter("PerfStats\\StopStat");
    }
  }
}

HostLoadReader::~HostLoadReader() {
  if (usageKey_ == nullptr) return;
  ::RegCloseKey(usageKey_);
  TouchCounter("PerfStats\\StopStat");
}

size_t HostLoadReader::ReadPerProcessor(sim::ProcessorTimes* times) const {
  ProcessorPerformance records[sim::BusiestLoad::kMaxProcessors];
  ULONG returned = 0;
  if (querySystem_(kProcessorPerformanceClass, records, sizeof records, &returned) != 0) return 0;
  size_t count = returned / sizeof(ProcessorPerformance);
  if (count > sim::BusiestLoad::kMaxProcessors) count = sim::BusiestLoad::kMaxProcessors;
  for (size_t i = 0; i < count; ++i) {
    times[i].idle = Ticks(records[i].idle);
    times[i].total = Ticks(records[i].kernel) + Ticks(records[i].user);
  }
  return count;
}

size_t HostLoadReader::ReadSystemTimes(sim::ProcessorTimes* times) const {
  FILETIME idle, kernel, user;
  if (!systemTimes_(&idle, &kernel, &user)) return 0;
  times[0].idle = Ticks(idle);
  times[0].total = Ticks(kernel) + Ticks(user);
  return 1;
}

int HostLoadReader::ReadUsageCounter() const {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExA(usageKey_, kUsageCounter, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      size != sizeof value) {
    return -1;
  }
  return value > 100 ? 100 : static_cast<int>(value);
}

int HostLoadReader::Sample(uint32_t nowMs) {
  sim::ProcessorTimes times[sim::BusiestLoad::kMaxProcessors];
  switch (source_) {
    case Source::PerProcessor:
      return busiest_.Update(times, ReadPerProcessor(times));
    case Source::SystemTimes:
      return busiest_.Update(times, ReadSystemTimes(times));
    case Source::UsageCounter:
      return ReadUsageCounter();
    case Source::Pattern:
      break;
  }
  return sim::PatternLoad(nowMs);
}

}  // namespace app
