// A fake processor behind the driver for the step-table tests: it records every register
// request, and answers step registers and the sweep's CPUID as a real one would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "processor/MsrRequest.h"
#include "processor/ProcessorStart.h"
#include "support/PrintText.h"

namespace steptable_test {

struct Step {
  int32_t level;
  int32_t mhz;
  uint32_t mv;
  uint32_t cd;
  uint32_t sd;
};

struct Call {
  bool write;
  uint32_t msr, low, high;
  bool operator==(const Call& o) const {
    return write == o.write && msr == o.msr && low == o.low && high == o.high;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Call& c) {
  return os << (c.write ? "write " : "read ") << std::hex << c.msr << " " << c.low << " " << c.high;
}

inline Call Read(uint32_t msr, uint32_t low, uint32_t high) {
  return Call{false, msr, low, high};
}
inline Call Write(uint32_t msr, uint32_t low, uint32_t high) {
  return Call{true, msr, low, high};
}

inline std::vector<Step> TenSteps() {
  return {{100, 1000, 1600, 7, 10}, {89, 933, 1550, 7, 9}, {78, 866, 1500, 6, 9},
          {67, 800, 1450, 6, 8},    {56, 733, 1400, 5, 7}, {44, 667, 1300, 5, 7},
          {33, 600, 1200, 4, 6},    {22, 533, 1100, 4, 5}, {11, 466, 1050, 3, 5},
          {0, 400, 975, 3, 4}};
}

// A processor behind the driver: step registers answer for the selected step, and the sweep's
// CPUID reports the step the pinned window lands on.
class FakeProcessor : public RegisterIo, public CpuidSource {
 public:
  explicit FakeProcessor(bool registers = true) : stepRegisters(registers) {}

  bool ReadRegister(uint32_t msr, uint32_t lowFiller, uint32_t highFiller, uint32_t& low,
                    uint32_t& high) override {
    calls.push_back(Read(msr, lowFiller, highFiller));
    if (static_cast<int>(calls.size()) == refuseCall) return false;
    const Step* step = selected < steps.size() ? &steps[selected] : nullptr;
    switch (msr) {
      case MsrScalingWindow:
        low = windowLow;
        high = windowHigh;
        return true;
      case MsrStepSelect:
        low = selected;
        high = reportedLast;
        return true;
      case MsrStepLevel:
        if (step == nullptr) return false;
        low = static_cast<uint32_t>(step->level);
        return true;
      case MsrStepFrequencyVoltage:
        if (step == nullptr) return false;
        low = static_cast<uint32_t>(step->mhz);
        high = step->mv;
        return true;
      case MsrStepDividers:
        if (step == nullptr) return false;
        high = step->cd;
        low = step->sd;
        return true;
      default:
        return false;
    }
  }

  bool WriteRegister(uint32_t msr, uint32_t low, uint32_t high) override {
    calls.push_back(Write(msr, low, high));
    if (static_cast<int>(calls.size()) == refuseCall) return false;
    if (msr == MsrScalingWindow) {
      windowLow = low;
      windowHigh = high;
    } else if (msr == MsrStepSelect) {
      selected = low;
    }
    return true;
  }

  CpuidResult Query(uint32_t leaf) override {
    leaves.push_back(leaf);
    if (leaf == LeafRevision)
      return {0, 0, 0, VaristepFlag | (stepRegisters ? StepRegistersFlag : 0)};
    if (leaf == LeafCurrentState) {
      if (sweepAnswer) return sweepAnswer(windowHigh);
      const Step& s = Current();
      return {static_cast<uint32_t>(s.mhz), s.mv, static_cast<uint32_t>(s.level), 0};
    }
    return {0, 0, 0, 0};
  }

  // The highest step whose level the window's upper bound allows.
  const Step& Current() const {
    for (const Step& s : steps) {
      if (s.level <= static_cast<int32_t>(windowHigh)) return s;
    }
    return steps.back();
  }

  std::vector<Step> steps = TenSteps();
  uint32_t reportedLast = 9;
  uint32_t selected = 0;
  uint32_t windowLow = 0, windowHigh = 100;
  bool stepRegisters = true;
  std::function<CpuidResult(uint32_t)> sweepAnswer;
  int refuseCall = 0;
  std::vector<Call> calls;
  std::vector<uint32_t> leaves;
};

class FakePci : public PciSource {
 public:
  explicit FakePci(const FakeProcessor& cpu) : cpu_(cpu) {}
  uint32_t ReadConfigDword(uint32_t address) const override {
    addresses.push_back(address);
    const Step& s = cpu_.Current();
    return 0xFF00FFFF | (s.cd << 20) | (s.sd << 16);  // other bits set: only the nibbles count
  }
  mutable std::vector<uint32_t> addresses;

 private:
  const FakeProcessor& cpu_;
};

// Sleeps are recorded as the number of register requests made before each one.
inline std::vector<size_t> sleepsAfter;
inline const FakeProcessor* sleeping = nullptr;
inline void RecordSleep(uint32_t ms) {
  EXPECT_EQ(ms, 50u);
  sleepsAfter.push_back(sleeping->calls.size());
}

struct Built {
  SetupOutcome outcome;
  StepTable steps;
  ProcessorState state;
  ProcessorInfo info;
};

inline Built Build(FakeProcessor& cpu, const PciSource* pci = nullptr,
                   OsKind osKind = OsKind::Windows9x, VoltageTable table = VoltageTable::B) {
  Built b;
  b.state.osKind = osKind;
  b.state.voltageTable = table;
  b.steps.lastStep = 77;  // stale contents must not survive
  sleepsAfter.clear();
  sleeping = &cpu;
  b.outcome = BuildStepTable(cpu, cpu, pci, RecordSleep, b.state, b.steps, b.info);
  return b;
}

inline float Volts(uint32_t mv) {
  return static_cast<float>(mv * 0.001);
}

inline void ExpectTenSteps(const StepTable& t, bool dividers) {
  std::vector<Step> expected = TenSteps();
  ASSERT_EQ(t.lastStep, 9);
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(t.level[i], expected[i].level);
    EXPECT_EQ(t.frequencyMHz[i], expected[i].mhz);
    EXPECT_EQ(t.voltage[i], Volts(expected[i].mv));
    uint32_t cd = dividers ? expected[i].cd : 0, sd = dividers ? expected[i].sd : 0;
    EXPECT_EQ(t.cdDivider[i], cd);
    EXPECT_EQ(t.sdDivider[i], sd);
    EXPECT_EQ(t.cdFrequencyMHz[i], cd == 0 ? 0 : static_cast<uint32_t>(expected[i].mhz) / cd);
    EXPECT_EQ(t.sdFrequencyMHz[i], sd == 0 ? 0 : static_cast<uint32_t>(expected[i].mhz) / sd);
  }
}

}  // namespace steptable_test
