// A simulated Corvalith processor: CPUID leaves, the model-specific registers the driver
// reaches, and scaling dynamics driven by a load input and a clock the owner sets. Deterministic:
// nothing here reads real time.
#pragma once

#include <cstdint>

#include "base/FixedList.h"
#include "base/FixedText.h"
#include "processor/Cpuid.h"

namespace sim {

struct SimStep {
  int32_t level;  // 0..100, the scaling-window unit that selects the step
  int32_t mhz;
  uint32_t millivolts;
  uint32_t cdDivider;  // 4 bits: also reported through PCI space
  uint32_t sdDivider;  // 4 bits
};

// Room for every profile, the largest of which has fourteen steps.
using SimSteps = FixedList<SimStep, 16>;

enum class Profile {
  Default,         // ten steps with step registers, ZN2730
  SweepOnly,       // no step registers: the table must come from the sweep
  VaristepAbsent,  // feature flag clear
  WrongVendor,
  PsnDisabled,  // serial number switched off in register 0x119
  SmallCache,   // 256 KB L2, model nibble 0: ZN2710, voltage table A
  OneStep,
  TooManySteps,  // registers report more steps than the program's table holds
};

struct SimConfig {
  ShortText vendor;  // 12 bytes
  ShortText brand;   // up to 48 bytes
  uint32_t signature = 0;
  uint32_t revisionBytes = 0;  // model nibble in bits 20..23
  uint32_t revisionBuild = 0;
  uint32_t xtlBytes = 0;
  uint32_t xtlBuild = 0;
  uint32_t l2Kbytes = 0;
  bool varistep = true;
  bool stepRegisters = true;
  bool serialDisabled = false;
  uint32_t serial[3] = {};        // EBX, ECX, EDX of leaf 3
  SimSteps steps;                 // ordered from the highest level down
  uint32_t reportedLastStep = 0;  // high word of the step-select register
  uint32_t windowLower = 0;
  uint32_t windowUpper = 100;
  bool performance = true;
  uint32_t periodMs = 100;  // one scaling decision per period
  int busyThreshold = 50;   // load (percent) above which the processor counts as busy
};

SimConfig ProfileConfig(Profile profile);

class SimProcessor : public CpuidSource {
 public:
  explicit SimProcessor(Profile profile = Profile::Default);
  explicit SimProcessor(const SimConfig& config);

  CpuidResult Query(uint32_t leaf) override;

  // The driver's contract: a read fills both words and succeeds, a write stores, anything the
  // processor does not have is refused.
  bool ReadMsr(uint32_t msr, uint32_t& low, uint32_t& high) const;
  bool WriteMsr(uint32_t msr, uint32_t low, uint32_t high);

  // Load in percent, clamped to 0..100.
  void SetLoad(int percent);
  // Time in ms; every period boundary passed makes one scaling decision with the current load.
  void SetClock(uint64_t ms);
  void AdvanceClock(uint64_t ms) { SetClock(clockMs_ + ms); }
  uint64_t Clock() const { return clockMs_; }

  int CurrentStep() const { return current_; }
  const SimStep& Current() const { return config_.steps[current_]; }
  const SimConfig& Config() const { return config_; }
  bool Performance() const { return policyLow_ != 0; }
  uint32_t WindowLower() const { return windowLow_; }
  uint32_t WindowUpper() const { return windowHigh_; }

 private:
  int TopIndex() const;     // highest step the window allows
  int BottomIndex() const;  // lowest step the window allows
  void ClampIntoWindow();
  void Decide();

  SimConfig config_;
  uint32_t windowLow_ = 0, windowHigh_ = 100;
  uint32_t policyLow_ = 1, policyHigh_ = 0;
  uint32_t selected_ = 0;
  int current_ = 0;
  int load_ = 0;
  uint64_t clockMs_ = 0;
};

}  // namespace sim
