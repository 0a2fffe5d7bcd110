#include "sim/HostLoad.h"

namespace sim {

int BusiestLoad::Update(const ProcessorTimes* times, size_t count) {
  if (count > MaxProcessors) count = MaxProcessors;
  const bool comparable = count != 0 && count == count_;
  int busiest = -1;
  for (size_t i = 0; i < count; ++i) {
    const ProcessorTimes& now = times[i];
    const ProcessorTimes& then = last_[i];
    // Counters that ran backwards or idle beyond total are a bad reading: skip that processor.
    if (comparable && now.total > then.total && now.idle >= then.idle) {
      uint64_t total = now.total - then.total;
      uint64_t idle = now.idle - then.idle;
      if (idle <= total) {
        int load = static_cast<int>(100 - idle * 100 / total);
        if (load > busiest) busiest = load;
      }
    }
    last_[i] = now;
  }
  count_ = count;
  return busiest;
}

int PatternLoad(uint64_t ms) {
  return ms % 10000 < 4000 ? 100 : 0;
}

}  // namespace sim
