// The step table: both methods, the request words they send, the mended edge cases and the
// bitmaps, against a fake processor that records every register request.
#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "processor/MsrRequest.h"
#include "processor/Setup.h"

namespace {

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

std::ostream& operator<<(std::ostream& os, const Call& c) {
  return os << (c.write ? "write " : "read ") << std::hex << c.msr << " " << c.low << " " << c.high;
}

Call Read(uint32_t msr, uint32_t low, uint32_t high) {
  return Call{false, msr, low, high};
}
Call Write(uint32_t msr, uint32_t low, uint32_t high) {
  return Call{true, msr, low, high};
}

std::vector<Step> TenSteps() {
  return {{100, 1000, 1600, 7, 10}, {89, 933, 1550, 7, 9}, {78, 866, 1500, 6, 9},
          {67, 800, 1450, 6, 8},    {56, 733, 1400, 5, 7}, {44, 667, 1300, 5, 7},
          {33, 600, 1200, 4, 6},    {22, 533, 1100, 4, 5}, {11, 466, 1050, 3, 5},
          {0, 400, 975, 3, 4}};
}

// A processor behind the driver: step registers answer for the selected step, and the sweep's
// CPUID reports the step the pinned window lands on.
class FakeProcessor : public RegisterIo, public CpuidSource {
 public:
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
std::vector<size_t> sleepsAfter;
const FakeProcessor* sleeping = nullptr;
void RecordSleep(uint32_t ms) {
  EXPECT_EQ(ms, 50u);
  sleepsAfter.push_back(sleeping->calls.size());
}

struct Built {
  SetupOutcome outcome;
  StepTable steps;
  ProcessorState state;
  ProcessorInfo info;
};

Built Build(FakeProcessor& cpu, const PciSource* pci = nullptr, OsKind osKind = OsKind::Windows9x,
            VoltageTable table = VoltageTable::B) {
  Built b;
  b.state.osKind = osKind;
  b.state.voltageTable = table;
  b.steps.lastStep = 77;  // stale contents must not survive
  sleepsAfter.clear();
  sleeping = &cpu;
  b.outcome = BuildStepTable(cpu, cpu, pci, RecordSleep, b.state, b.steps, b.info);
  return b;
}

float Volts(uint32_t mv) {
  return static_cast<float>(mv * 0.001);
}

void ExpectTenSteps(const StepTable& t, bool dividers) {
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

TEST(StepRegisters, ReadsEveryStepWithTheExactRequestWords) {
  FakeProcessor cpu;
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_TRUE(b.state.hasStepRegisters);
  ExpectTenSteps(b.steps, true);
  EXPECT_EQ(b.steps.initialUpperLevel, 100);
  EXPECT_EQ(b.steps.initialLowerLevel, 0);
  EXPECT_EQ(b.steps.maxStep, 0);
  EXPECT_EQ(b.steps.initialMaxStep, 0);
  EXPECT_EQ(b.steps.minStep, 9);
  EXPECT_EQ(b.steps.initialMinStep, 9);

  std::vector<Call> expected = {Read(0x80868010, 256, 256), Read(0x80868018, 256, 0)};
  for (uint32_t i = 0; i < 10; ++i) {
    expected.push_back(Write(0x80868018, i, 0));
    expected.push_back(Read(0x80868019, 256, 0));
    expected.push_back(Read(0x8086801A, 256, 0));
    expected.push_back(Read(0x8086801B, 256, 0));
  }
  EXPECT_EQ(cpu.calls, expected);
  EXPECT_EQ(cpu.selected, 9u);  // left selecting the last step
  EXPECT_TRUE(sleepsAfter.empty());
  EXPECT_EQ(b.info.frequencyBitmap, "0x01555540");
}

TEST(StepRegisters, LastStepZeroReadsExactlyOneStep) {
  FakeProcessor cpu;
  cpu.reportedLast = 0;
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_EQ(b.steps.lastStep, 0);
  EXPECT_EQ(b.steps.StepCount(), 1);
  ASSERT_EQ(cpu.calls.size(), 6u);
  EXPECT_EQ(cpu.calls[2], Write(0x80868018, 0, 0));
  EXPECT_EQ(b.steps.frequencyMHz[0], 1000);
  EXPECT_EQ(b.steps.frequencyMHz[1], 0);
  // Window [0, 100]: the upper bound is step 0's level; no step has level 0.
  EXPECT_EQ(b.steps.maxStep, 0);
  EXPECT_EQ(b.steps.minStep, 0);
}

TEST(StepRegisters, ReportedLastStepBeyondTheTableStopsAtTenSteps) {
  for (uint32_t reported : {10u, 14u, 0x7FFFFFFFu}) {
    SCOPED_TRACE(reported);
    FakeProcessor cpu;
    for (int i = 0; i < 6; ++i) cpu.steps.push_back({0, 200, 900, 2, 2});
    cpu.reportedLast = reported;
    Built b = Build(cpu);
    ASSERT_TRUE(b.outcome.IsOk());
    EXPECT_EQ(b.steps.lastStep, 9);
    EXPECT_EQ(b.steps.StepCount(), 10);
    EXPECT_EQ(cpu.calls.size(), 2u + 40u);
    EXPECT_EQ(cpu.calls.back(), Read(0x8086801B, 256, 0));
    EXPECT_EQ(cpu.selected, 9u);
  }
}

TEST(StepRegisters, NegativeReportedLastStepGivesAnEmptyTable) {
  for (uint32_t reported : {0xFFFFFFFFu, 0x80000000u}) {
    FakeProcessor cpu;
    cpu.reportedLast = reported;
    Built b = Build(cpu);
    ASSERT_TRUE(b.outcome.IsOk());
    EXPECT_EQ(b.steps.lastStep, -1);
    EXPECT_EQ(b.steps.StepCount(), 0);
    EXPECT_FALSE(b.steps.Contains(0));
    EXPECT_EQ(cpu.calls.size(), 2u);  // no step is selected
    // The limit indexes still name an array slot.
    EXPECT_EQ(b.steps.maxStep, 0);
    EXPECT_EQ(b.steps.minStep, 0);
    EXPECT_EQ(b.info.frequencyBitmap, "0x00000000");
    EXPECT_EQ(b.info.voltageBitmap, "0x00000000");
  }
}

TEST(StepRegisters, ZeroDividerGivesZeroFrequency) {
  FakeProcessor cpu;
  cpu.steps[0].cd = 0;
  cpu.steps[1].sd = 0;
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_EQ(b.steps.cdDivider[0], 0u);
  EXPECT_EQ(b.steps.cdFrequencyMHz[0], 0u);
  EXPECT_EQ(b.steps.sdFrequencyMHz[0], 100u);
  EXPECT_EQ(b.steps.sdFrequencyMHz[1], 0u);
  EXPECT_EQ(b.steps.cdFrequencyMHz[1], 133u);
}

TEST(StepLimits, StartLevelsPickTheStepIndexes) {
  for (bool registers : {true, false}) {
    SCOPED_TRACE(registers);
    FakeProcessor cpu;
    cpu.stepRegisters = registers;
    cpu.windowLow = 22;
    cpu.windowHigh = 89;
    Built b = Build(cpu);
    ASSERT_TRUE(b.outcome.IsOk());
    EXPECT_EQ(b.steps.initialMaxStep, 1);
    EXPECT_EQ(b.steps.maxStep, 1);
    EXPECT_EQ(b.steps.initialMinStep, 7);
    EXPECT_EQ(b.steps.minStep, 7);

    // Both bounds on one step.
    cpu = FakeProcessor();
    cpu.stepRegisters = registers;
    cpu.windowLow = cpu.windowHigh = 44;
    b = Build(cpu);
    EXPECT_EQ(b.steps.maxStep, 5);
    EXPECT_EQ(b.steps.minStep, 5);
  }
}

TEST(StepLimits, UnmatchedStartLevelsFallBackToTheOutermostSteps) {
  for (bool registers : {true, false}) {
    SCOPED_TRACE(registers);
    FakeProcessor cpu;
    cpu.stepRegisters = registers;
    cpu.windowLow = 5;    // between steps 8 and 9
    cpu.windowHigh = 95;  // between steps 0 and 1
    Built b = Build(cpu);
    ASSERT_TRUE(b.outcome.IsOk());
    EXPECT_EQ(b.steps.initialMaxStep, 0);
    EXPECT_EQ(b.steps.maxStep, 0);
    EXPECT_EQ(b.steps.initialMinStep, b.steps.lastStep);
    EXPECT_EQ(b.steps.minStep, b.steps.lastStep);
  }
}

TEST(Sweep, PinsEveryLevelThenEachStepThenRestoresTheWindow) {
  FakeProcessor cpu;
  cpu.stepRegisters = false;
  // Words chosen so a swap or a clipped value shows.
  cpu.windowLow = 0x0B;
  cpu.windowHigh = 0x59;
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_FALSE(b.state.hasStepRegisters);
  ExpectTenSteps(b.steps, false);  // osKind 0 but no PCI source: dividers never measured

  std::vector<Call> expected = {Read(0x80868010, 256, 256)};
  for (uint32_t level = 101; level-- > 0;) expected.push_back(Write(0x80868010, level, level));
  for (const Step& s : TenSteps()) {
    uint32_t level = static_cast<uint32_t>(s.level);
    expected.push_back(Write(0x80868010, level, level));
  }
  expected.push_back(Write(0x80868010, 0x0B, 0x59));
  EXPECT_EQ(cpu.calls, expected);

  // One CPUID per pinned level, right after its write.
  size_t sweeps = 0;
  for (uint32_t leaf : cpu.leaves) sweeps += leaf == LeafCurrentState ? 1 : 0;
  EXPECT_EQ(sweeps, 101u);
  // A 50 ms wait after each step's pin and one before the restore.
  std::vector<size_t> waits;
  for (size_t i = 0; i < 10; ++i) waits.push_back(1 + 101 + i + 1);
  waits.push_back(1 + 101 + 10);
  EXPECT_EQ(sleepsAfter, waits);
  EXPECT_EQ(b.steps.initialLowerLevel, 0x0B);
  EXPECT_EQ(b.steps.initialUpperLevel, 0x59);
}

TEST(Sweep, RestoresWindowWordsBitForBit) {
  FakeProcessor cpu;
  cpu.stepRegisters = false;
  cpu.windowLow = 0xFFFFFFFE;
  cpu.windowHigh = 0x80000001;
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_EQ(cpu.calls.back(), Write(0x80868010, 0xFFFFFFFE, 0x80000001));
  EXPECT_EQ(cpu.windowLow, 0xFFFFFFFEu);
  EXPECT_EQ(cpu.windowHigh, 0x80000001u);
}

TEST(Sweep, OneReportedLevelGivesOneStep) {
  FakeProcessor cpu;
  cpu.stepRegisters = false;
  cpu.sweepAnswer = [](uint32_t) { return CpuidResult{600, 1200, 42, 0}; };
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_EQ(b.steps.lastStep, 0);
  EXPECT_EQ(b.steps.frequencyMHz[0], 600);
  EXPECT_EQ(b.steps.level[0], 42);
  EXPECT_EQ(cpu.calls.size(), 1u + 101u + 1u + 1u);
  EXPECT_EQ(b.steps.maxStep, 0);
  EXPECT_EQ(b.steps.minStep, 0);
}

TEST(Sweep, ARepeatedLevelAfterAnotherIsANewStep) {
  // Only a change from the level recorded last adds a step.
  FakeProcessor cpu;
  cpu.stepRegisters = false;
  cpu.sweepAnswer = [](uint32_t pinned) {
    uint32_t level = pinned > 60 ? 70 : pinned > 30 ? 40 : 70;
    return CpuidResult{level * 10, 1000, level, 0};
  };
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_EQ(b.steps.lastStep, 2);
  EXPECT_EQ(b.steps.level[0], 70);
  EXPECT_EQ(b.steps.level[1], 40);
  EXPECT_EQ(b.steps.level[2], 70);
}

TEST(Sweep, MoreThanTenLevelsStopAtTenSteps) {
  FakeProcessor cpu;
  cpu.stepRegisters = false;
  cpu.sweepAnswer = [](uint32_t pinned) { return CpuidResult{200 + pinned, 900, pinned, 0}; };
  cpu.windowLow = 0;
  cpu.windowHigh = 100;
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_EQ(b.steps.lastStep, 9);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(b.steps.level[i], 100 - i);
  // The sweep still pins all 101 levels; then ten steps and the restore.
  EXPECT_EQ(cpu.calls.size(), 1u + 101u + 10u + 1u);
  EXPECT_EQ(b.steps.maxStep, 0);
  EXPECT_EQ(b.steps.minStep, 9);  // level 0 was never recorded
}

TEST(Sweep, DividersComeFromPciOnlyOnThe9xFamily) {
  FakeProcessor cpu;
  cpu.stepRegisters = false;
  FakePci pci(cpu);
  Built b = Build(cpu, &pci, OsKind::Windows9x);
  ASSERT_TRUE(b.outcome.IsOk());
  ExpectTenSteps(b.steps, true);
  EXPECT_EQ(pci.addresses, std::vector<uint32_t>(10, 0x800000FC));

  for (OsKind osKind : {OsKind::OtherNt, OsKind::Windows2000, OsKind::WindowsXp}) {
    FakeProcessor nt;
    nt.stepRegisters = false;
    FakePci ntPci(nt);
    b = Build(nt, &ntPci, osKind);
    ASSERT_TRUE(b.outcome.IsOk());
    ExpectTenSteps(b.steps, false);
    EXPECT_TRUE(ntPci.addresses.empty());
  }
}

TEST(Sweep, ZeroPciNibblesGiveZeroFrequencies) {
  FakeProcessor cpu;
  cpu.stepRegisters = false;
  for (Step& s : cpu.steps) s.cd = s.sd = 0;
  FakePci pci(cpu);
  Built b = Build(cpu, &pci, OsKind::Windows9x);
  ASSERT_TRUE(b.outcome.IsOk());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(b.steps.cdFrequencyMHz[i], 0u);
    EXPECT_EQ(b.steps.sdFrequencyMHz[i], 0u);
  }
}

TEST(Refusals, AnyRefusedRequestStopsAtOnceAndLeavesNoTable) {
  for (bool registers : {true, false}) {
    FakeProcessor probe;
    probe.stepRegisters = registers;
    Build(probe);
    int total = static_cast<int>(probe.calls.size());
    for (int k = 1; k <= total; ++k) {
      SCOPED_TRACE(testing::Message() << "registers " << registers << " request " << k);
      FakeProcessor cpu;
      cpu.stepRegisters = registers;
      cpu.windowLow = 22;
      cpu.windowHigh = 89;
      cpu.refuseCall = k;
      Built b = Build(cpu);
      EXPECT_EQ(b.outcome.kind, SetupOutcome::Kind::RequestRefused);
      EXPECT_EQ(b.outcome.kind, SetupOutcome::Kind::RequestRefused);
      EXPECT_TRUE(b.outcome.endsProcess);
      // Nothing after it, but a sweep that has read the window gives it back as it was found.
      const bool restores = !registers && k > 1;
      EXPECT_EQ(static_cast<int>(cpu.calls.size()), restores ? k + 1 : k);
      if (restores) {
        EXPECT_EQ(cpu.calls.back(), Write(MsrScalingWindow, 22, 89));
      }
      EXPECT_EQ(cpu.windowLow, 22u);
      EXPECT_EQ(cpu.windowHigh, 89u);
      EXPECT_EQ(b.steps.lastStep, -1);
      EXPECT_EQ(b.info.frequencyBitmap, "");
    }
  }
}

StepTable OneStep(int32_t mhz, float volts) {
  StepTable t;
  t.lastStep = 0;
  t.frequencyMHz[0] = mhz;
  t.voltage[0] = volts;
  return t;
}

// The bitmaps through a table of the given steps, read by step registers.
Built Bitmaps(const std::vector<Step>& steps, VoltageTable table) {
  FakeProcessor cpu;
  cpu.steps = steps;
  cpu.reportedLast = static_cast<uint32_t>(steps.size() - 1);
  return Build(cpu, nullptr, OsKind::Windows9x, table);
}

TEST(Bitmaps, EveryTableFrequencySetsItsOwnBit) {
  for (int j = 0; j < TableSize; ++j) {
    Built b = Bitmaps({{0, frequencyTable[j], 0, 1, 1}}, VoltageTable::A);
    EXPECT_EQ(b.state.frequencyBits, 1u << j) << frequencyTable[j];
  }
  EXPECT_EQ(Bitmaps({{0, 667, 0, 1, 1}}, VoltageTable::A).info.frequencyBitmap, "0x00004000");
  EXPECT_EQ(Bitmaps({{0, 666, 0, 1, 1}}, VoltageTable::A).info.frequencyBitmap, "0x00000000");
}

TEST(Bitmaps, MillivoltsOfEveryTableVoltageMatchExactly) {
  for (VoltageTable table : {VoltageTable::A, VoltageTable::B}) {
    const float* volts = VoltageTableEntries(table);
    for (int j = 0; j < TableSize; ++j) {
      uint32_t mv = static_cast<uint32_t>(std::lround(volts[j] * 1000.0));
      Built b = Bitmaps({{0, 100, mv, 1, 1}}, table);
      EXPECT_EQ(b.state.voltageBits, 1u << j) << mv << " mV";
    }
  }
  // The same voltage sits at different bits in the two tables.
  EXPECT_EQ(Bitmaps({{0, 100, 1000, 1, 1}}, VoltageTable::A).info.voltageBitmap, "0x00000008");
  EXPECT_EQ(Bitmaps({{0, 100, 1000, 1, 1}}, VoltageTable::B).info.voltageBitmap, "0x00010000");
  EXPECT_EQ(Bitmaps({{0, 100, 1001, 1, 1}}, VoltageTable::B).info.voltageBitmap, "0x00000000");
}

TEST(Bitmaps, TwoStepsOnOneEntrySetTheBitOnce) {
  Built b = Bitmaps({{100, 667, 1300, 1, 1}, {50, 667, 1300, 1, 1}, {0, 600, 1300, 1, 1}},
                    VoltageTable::B);
  EXPECT_EQ(b.info.frequencyBitmap, "0x00005000");
  EXPECT_EQ(b.state.voltageBits, 1u << 22);
}

TEST(Bitmaps, DefaultTenStepsOnTableB) {
  FakeProcessor cpu;
  Built b = Build(cpu, nullptr, OsKind::Windows9x, VoltageTable::B);
  EXPECT_EQ(b.info.frequencyBitmap, "0x01555540");
  // 0.975, 1.05, 1.1, 1.2, 1.3, 1.4, 1.45, 1.5, 1.55, 1.6 V
  EXPECT_EQ(b.info.voltageBitmap, "0x1f568000");
}

TEST(StepTableHelpers, ContainsAndStepCountStayWithinTheArrays) {
  StepTable t;
  EXPECT_EQ(t.lastStep, -1);
  EXPECT_EQ(t.StepCount(), 0);
  EXPECT_FALSE(t.Contains(0));
  t = OneStep(600, 1.2f);
  EXPECT_TRUE(t.Contains(0));
  EXPECT_FALSE(t.Contains(1));
  EXPECT_FALSE(t.Contains(-1));
  EXPECT_EQ(t.IndexOfFrequency(600), 0);
  EXPECT_EQ(t.IndexOfFrequency(0), -1);  // unfilled slots are not steps
  t.lastStep = 40;                       // never produced here, but never trusted either
  EXPECT_EQ(t.StepCount(), MaxSteps);
  EXPECT_TRUE(t.Contains(9));
  EXPECT_FALSE(t.Contains(10));
}

}  // namespace
