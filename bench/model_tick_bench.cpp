// The chart model's share of one sampling tick: BeginTick, PlaceLimits, PointsToDraw and EndTick,
// with the ten-step table of the simulated processor. Every allocation made while the ticks run
// is counted (operator new, and malloc itself where glibc lets the program replace it), so the
// figure covers what the label formatting might allocate behind the program's back.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "monitor/ChartModel.h"
#include "sim/SimProcessor.h"

namespace {

std::atomic<uint64_t> g_allocations{0};
// The most allocations per tick any benchmark saw; the smoke test fails on anything above 0.
double g_worstPerTick = 0;

void Count() {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

#if VS_COUNT_MALLOC
// glibc lets a program replace malloc, and then its own internal calls (printf's buffers among
// them) come here too. operator new below ends in this malloc, so one allocation counts once.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
  Count();
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  Count();
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
  Count();
  return __libc_realloc(block, size);
}
void free(void* block) {
  __libc_free(block);
}
}

namespace {
void* Allocate(std::size_t size) {
  return std::malloc(size == 0 ? 1 : size);
}
}  // namespace
#else
namespace {
void* Allocate(std::size_t size) {
  Count();
  return std::malloc(size == 0 ? 1 : size);
}
}  // namespace
#endif

void* operator new(std::size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) std::abort();
  return block;
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}

namespace {

// The simulated processor's ten steps, as set-up would have read them.
StepTable SimTable() {
  sim::SimConfig config = sim::ProfileConfig(sim::Profile::Default);
  StepTable table{};
  int count = static_cast<int>(config.steps.size());
  if (count > MaxSteps) count = MaxSteps;
  table.lastStep = count - 1;
  for (int i = 0; i < count; ++i) {
    table.frequencyMHz[i] = config.steps[i].mhz;
    table.level[i] = config.steps[i].level;
    table.voltage[i] = static_cast<float>(config.steps[i].millivolts) * 0.001f;
  }
  return table;
}

// One tick as the window runs it, minus the drawing. `changeEvery` ticks share one frequency
// (0: the frequency never changes); the limits are read every tick, as with ShowMinMax on.
void ModelTick(benchmark::State& state, int changeEvery, monitor::ViewMode view) {
  StepTable steps = SimTable();
  monitor::ChartModel model;
  model.SetUp({0, 0, 163, 52}, steps);
  if (view != monitor::FramedView) {
    model.viewMode = view;
    model.Relayout(view, steps);
  }
  const int32_t frequencies[2] = {steps.frequencyMHz[0], steps.frequencyMHz[steps.lastStep]};
  const uint32_t low = static_cast<uint32_t>(steps.level[steps.lastStep]);
  const uint32_t high = static_cast<uint32_t>(steps.level[0]);
  uint64_t tick = 0;
  uint64_t labels = 0;
  const uint64_t before = g_allocations.load(std::memory_order_relaxed);
  for (auto _ : state) {
    uint64_t phase = changeEvery > 0 ? (tick / static_cast<uint64_t>(changeEvery)) & 1u : 0u;
    monitor::ChartModel::TickStart start = model.BeginTick(frequencies[phase], steps, true);
    model.PlaceLimits(low, high, steps);
    int32_t points = model.PointsToDraw();
    benchmark::DoNotOptimize(start);
    benchmark::DoNotOptimize(points);
    benchmark::DoNotOptimize(model.chartLabel);
    model.EndTick();
    labels += start.label ? 1u : 0u;
    ++tick;
  }
  const uint64_t allocations = g_allocations.load(std::memory_order_relaxed) - before;
  double perTick = tick > 0 ? static_cast<double>(allocations) / static_cast<double>(tick) : 0;
  if (perTick > g_worstPerTick) g_worstPerTick = perTick;
  state.counters["allocs_per_tick"] = perTick;
  state.counters["labels_per_tick"] =
      tick > 0 ? static_cast<double>(labels) / static_cast<double>(tick) : 0;
}

double MinOf(const std::vector<double>& v) {
  double m = v.empty() ? 0 : v[0];
  for (double x : v) m = x < m ? x : m;
  return m;
}

double MaxOf(const std::vector<double>& v) {
  double m = v.empty() ? 0 : v[0];
  for (double x : v) m = x > m ? x : m;
  return m;
}

void Register(const char* name, int changeEvery, monitor::ViewMode view) {
  benchmark::RegisterBenchmark(
      name, [changeEvery, view](benchmark::State& state) { ModelTick(state, changeEvery, view); })
      ->ComputeStatistics("min", MinOf)
      ->ComputeStatistics("max", MaxOf);
}

}  // namespace

int main(int argc, char** argv) {
  // Our own flag, taken out before the library sees the rest.
  bool expectNoAllocations = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--expect-no-allocations") == 0) {
      expectNoAllocations = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;

  // A counter that missed allocations would report a false zero: check it sees both kinds.
  const uint64_t probeStart = g_allocations.load();
  std::vector<int>* probe = new std::vector<int>(16);
  benchmark::DoNotOptimize(probe->data());
  delete probe;
  const uint64_t perNew = g_allocations.load() - probeStart;
  if (perNew < 2) {
    std::fprintf(stderr, "bench_model: the allocation counter missed operator new\n");
    return 1;
  }
#if VS_COUNT_MALLOC
  // strdup allocates inside the C library: counted only if libc's own calls reach our malloc.
  const uint64_t libcStart = g_allocations.load();
  char* copy = strdup("tick");
  benchmark::DoNotOptimize(copy);
  std::free(copy);
  if (g_allocations.load() == libcStart) {
    std::fprintf(stderr, "bench_model: the allocation counter missed the C library's malloc\n");
    return 1;
  }
#endif

  // Steady: the frequency holds, as between load changes. Typical: a new label every tenth tick.
  // Every tick: the worst case, a label formatted on every tick.
  Register("model_tick/steady", 0, monitor::FramedView);
  Register("model_tick/change_every_10", 10, monitor::FramedView);
  Register("model_tick/change_every_tick", 1, monitor::FramedView);
  Register("model_tick/strip_change_every_tick", 1, monitor::StripView);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (expectNoAllocations && g_worstPerTick > 0) {
    std::fprintf(stderr, "bench_model: a chart tick allocated (%.3f per tick)\n", g_worstPerTick);
    return 1;
  }
  return 0;
}
