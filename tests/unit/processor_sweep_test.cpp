// The step table found by the sweep, which pins every level in turn, and the refusal of any
// request by either method.
#include <vector>

#include "steptable_fake.h"

namespace {

using namespace steptable_test;

TEST(Sweep, PinsEveryLevelThenEachStepThenRestoresTheWindow) {
  FakeProcessor cpu(false);
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
  FakeProcessor cpu(false);
  cpu.windowLow = 0xFFFFFFFE;
  cpu.windowHigh = 0x80000001;
  Built b = Build(cpu);
  ASSERT_TRUE(b.outcome.IsOk());
  EXPECT_EQ(cpu.calls.back(), Write(0x80868010, 0xFFFFFFFE, 0x80000001));
  EXPECT_EQ(cpu.windowLow, 0xFFFFFFFEu);
  EXPECT_EQ(cpu.windowHigh, 0x80000001u);
}

TEST(Sweep, OneReportedLevelGivesOneStep) {
  FakeProcessor cpu(false);
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
  FakeProcessor cpu(false);
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
  FakeProcessor cpu(false);
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
  FakeProcessor cpu(false);
  FakePci pci(cpu);
  Built b = Build(cpu, &pci, OsKind::Windows9x);
  ASSERT_TRUE(b.outcome.IsOk());
  ExpectTenSteps(b.steps, true);
  EXPECT_EQ(pci.addresses, std::vector<uint32_t>(10, 0x800000FC));

  for (OsKind osKind : {OsKind::OtherNt, OsKind::Windows2000, OsKind::WindowsXp}) {
    FakeProcessor nt(false);
    FakePci ntPci(nt);
    b = Build(nt, &ntPci, osKind);
    ASSERT_TRUE(b.outcome.IsOk());
    ExpectTenSteps(b.steps, false);
    EXPECT_TRUE(ntPci.addresses.empty());
  }
}

TEST(Sweep, ZeroPciNibblesGiveZeroFrequencies) {
  FakeProcessor cpu(false);
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
    FakeProcessor probe(registers);
    Build(probe);
    int total = static_cast<int>(probe.calls.size());
    for (int k = 1; k <= total; ++k) {
      SCOPED_TRACE(testing::Message() << "registers " << registers << " request " << k);
      FakeProcessor cpu(registers);
      cpu.windowLow = 22;
      cpu.windowHigh = 89;
      cpu.refuseCall = k;
      Built b = Build(cpu);
      EXPECT_EQ(b.outcome.kind, SetupOutcome::Kind::RequestRefused);
      EXPECT_TRUE(b.outcome.endsProcess);
      // Nothing after it, but a sweep that has read the window gives it back as it was found;
      // when the refused request was that write-back itself, it is not sent again.
      const bool restores = !registers && k > 1 && k < total;
      EXPECT_EQ(static_cast<int>(cpu.calls.size()), restores ? k + 1 : k);
      if (restores) {
        EXPECT_EQ(cpu.calls.back(), Write(MsrScalingWindow, 22, 89));
      }
      if (registers || k < total) {
        EXPECT_EQ(cpu.windowLow, 22u);
        EXPECT_EQ(cpu.windowHigh, 89u);
      }
      EXPECT_EQ(b.steps.lastStep, -1);
      EXPECT_EQ(b.info.frequencyBitmap, "");
    }
  }
}

}  // namespace
