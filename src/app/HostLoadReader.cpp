#include "app/HostLoadReader.h"

namespace app {

namespace {

constexpr ULONG ProcessorPerformanceClass = 8;
static_assert(sizeof(ProcessorPerformance) == 48, "the system's record size on both targets");

// The 9x family's performance counters live under HKEY_DYN_DATA: reading a counter's name under
// StartStat starts it, StatData holds its value, StopStat stops it.
constexpr const char* UsageCounterName = "KERNEL\\CPUUsage";

uint64_t Ticks(LARGE_INTEGER value) {
  return static_cast<uint64_t>(value.QuadPart);
}

uint64_t Ticks(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

template <typename Fn>
Fn Lookup(const char* module, const char* name) {
  HMODULE handle = ::GetModuleHandleA(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

}  // namespace

HostLoadApi HostLoadApi::System() {
  return HostLoadApi{Lookup<QuerySystemFn>("ntdll.dll", "NtQuerySystemInformation"),
                     Lookup<SystemTimesFn>("kernel32.dll", "GetSystemTimes"), &::RegOpenKeyExA,
                     &::RegQueryValueExA, &::RegCloseKey};
}

HostLoadReader::HostLoadReader(const HostLoadApi& api) : api_(api) {
  sim::ProcessorTimes probe[sim::BusiestLoad::MaxProcessors];
  if (api_.querySystem != nullptr && ReadPerProcessor(probe) != 0) {
    source_ = Source::PerProcessor;
  } else if (api_.systemTimes != nullptr && ReadSystemTimes(probe) != 0) {
    source_ = Source::SystemTimes;
  } else if (TouchCounter("PerfStats\\StartStat")) {
    if (api_.regOpen(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_QUERY_VALUE, &usageKey_) ==
            ERROR_SUCCESS &&
        ReadUsageCounter() >= 0) {
      source_ = Source::UsageCounter;
    } else {
      // Started but unreadable: stop the counter again rather than leave it running.
      if (usageKey_ != nullptr) api_.regClose(usageKey_);
      usageKey_ = nullptr;
      TouchCounter("PerfStats\\StopStat");
    }
  }
}

HostLoadReader::~HostLoadReader() {
  if (usageKey_ == nullptr) return;
  api_.regClose(usageKey_);
  TouchCounter("PerfStats\\StopStat");
}

bool HostLoadReader::TouchCounter(const char* subkey) const {
  HKEY key = nullptr;
  if (api_.regOpen(HKEY_DYN_DATA, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG status = api_.regQuery(key, UsageCounterName, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(&value), &size);
  api_.regClose(key);
  return status == ERROR_SUCCESS;
}

size_t HostLoadReader::ReadPerProcessor(sim::ProcessorTimes* times) const {
  ProcessorPerformance records[sim::BusiestLoad::MaxProcessors];
  ULONG returned = 0;
  if (api_.querySystem(ProcessorPerformanceClass, records, sizeof records, &returned) != 0)
    return 0;
  size_t count = returned / sizeof(ProcessorPerformance);
  if (count > sim::BusiestLoad::MaxProcessors) count = sim::BusiestLoad::MaxProcessors;
  for (size_t i = 0; i < count; ++i) {
    times[i].idle = Ticks(records[i].idle);
    times[i].total = Ticks(records[i].kernel) + Ticks(records[i].user);
  }
  return count;
}

size_t HostLoadReader::ReadSystemTimes(sim::ProcessorTimes* times) const {
  FILETIME idle, kernel, user;
  if (!api_.systemTimes(&idle, &kernel, &user)) return 0;
  times[0].idle = Ticks(idle);
  times[0].total = Ticks(kernel) + Ticks(user);
  return 1;
}

int HostLoadReader::ReadUsageCounter() const {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (api_.regQuery(usageKey_, UsageCounterName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                    &size) != ERROR_SUCCESS ||
      size != sizeof value) {
    return -1;
  }
  return value > 100 ? 100 : static_cast<int>(value);
}

int HostLoadReader::Sample(uint32_t nowMs) {
  sim::ProcessorTimes times[sim::BusiestLoad::MaxProcessors];
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
