// The step table read through the step registers: the request words, the limit steps found at
// start, the mended edge cases, the bitmaps and the table's own helpers.
#include <cmath>
#include <vector>

#include "steptable_fake.h"

namespace {

using namespace steptable_test;

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
    FakeProcessor cpu(registers);
    cpu.windowLow = 22;
    cpu.windowHigh = 89;
    Built b = Build(cpu);
    ASSERT_TRUE(b.outcome.IsOk());
    EXPECT_EQ(b.steps.initialMaxStep, 1);
    EXPECT_EQ(b.steps.maxStep, 1);
    EXPECT_EQ(b.steps.initialMinStep, 7);
    EXPECT_EQ(b.steps.minStep, 7);

    // Both bounds on one step.
    cpu = FakeProcessor(registers);
    cpu.windowLow = cpu.windowHigh = 44;
    b = Build(cpu);
    EXPECT_EQ(b.steps.maxStep, 5);
    EXPECT_EQ(b.steps.minStep, 5);
  }
}

TEST(StepLimits, UnmatchedStartLevelsFallBackToTheOutermostSteps) {
  for (bool registers : {true, false}) {
    SCOPED_TRACE(registers);
    FakeProcessor cpu(registers);
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
