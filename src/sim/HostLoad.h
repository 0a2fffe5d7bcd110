// The load the demo's simulated processor follows: the busiest processor of this machine, so one
// busy thread reads as a busy single-core processor whatever the number of cores.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

// One processor's idle and total time since boot, in any one unit.
struct ProcessorTimes {
  uint64_t idle;
  uint64_t total;
};

class BusiestLoad {
 public:
  static constexpr size_t MaxProcessors = 64;

  // The busiest processor's load in percent since the previous call. -1 on the first call, when
  // the number of processors changes, or when no time has passed on any of them; processors
  // past MaxProcessors are not looked at.
  int Update(const ProcessorTimes* times, size_t count);

 private:
  ProcessorTimes last_[MaxProcessors] = {};
  size_t count_ = 0;
};

// Where no load can be read: busy for 4 s, then idle for 6 s, so the chart still moves.
int PatternLoad(uint64_t ms);

}  // namespace sim
