// The simulated processor and driver through the whole set-up sequence of DriverLink: the
// profiles, and every set-up request refused in turn.
#include <gtest/gtest.h>

#include "processor/DriverLink.h"
#include "processor/DriverPath.h"
#include "processor/ProcessorStart.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"
#include "support/PrintText.h"

namespace {

using sim::Profile;
using sim::SimDriverPort;
using sim::SimPci;
using sim::SimProcessor;

// The processor steps of the window's set-up, in their order, as the window layer calls them.
struct SimRun {
  explicit SimRun(Profile profile, VersionFields version = {2, 5, 1})
      : cpu(profile), port(cpu), pci(cpu), link(port) {
    path = ChooseDriverPath(version, state);
    outcome = Run();
  }

  SetupOutcome Run() {
    SetupOutcome o = IdentifyProcessor(cpu, info, state);
    if (!o.IsOk()) return o;
    o = OpenDriver(link, path);
    if (!o.IsOk()) return o;
    o = ReadSerialNumber(link, cpu, info);
    if (!o.IsOk()) return o;
    o = BuildStepTable(link, cpu, &pci, nullptr, state, steps, info);
    if (!o.IsOk()) return o;
    o = ReadPolicy(link, performance);
    return o;
  }

  SimProcessor cpu;
  SimDriverPort port;
  SimPci pci;
  DriverLink link;
  DriverPath path = {};
  ProcessorInfo info;
  ProcessorState state;
  StepTable steps;
  bool performance = false;
  SetupOutcome outcome;
};

TEST(SimSetUp, DefaultProfileIdentifiesAndBuildsTenSteps) {
  SimRun s(Profile::Default);
  ASSERT_TRUE(s.outcome.IsOk()) << static_cast<int>(s.outcome.kind);
  EXPECT_EQ(s.info.cpuType, "ZN2730");
  EXPECT_EQ(s.info.l2CacheSize, "512 KBytes");
  EXPECT_EQ(s.info.cpuName, "Corvalith Zephrin(tm) Processor 1000MHz");
  EXPECT_EQ(s.info.cpuId, "0x00000543");
  EXPECT_EQ(s.info.serialNumber, "0x000005431a2b3c4d5e6f7081");
  EXPECT_EQ(s.state.voltageTable, VoltageTable::B);
  EXPECT_TRUE(s.state.hasStepRegisters);
  EXPECT_EQ(s.state.osKind, OsKind::WindowsXp);
  EXPECT_TRUE(s.performance);

  ASSERT_EQ(s.steps.lastStep, 9);
  EXPECT_EQ(s.steps.frequencyMHz[0], 1000);
  EXPECT_EQ(s.steps.level[0], 100);
  EXPECT_EQ(s.steps.frequencyMHz[9], 400);
  EXPECT_EQ(s.steps.level[9], 0);
  for (int i = 1; i < 10; ++i) {
    EXPECT_LT(s.steps.frequencyMHz[i], s.steps.frequencyMHz[i - 1]);
    EXPECT_LT(s.steps.level[i], s.steps.level[i - 1]);
    EXPECT_NE(s.steps.cdFrequencyMHz[i], 0u);
  }
  EXPECT_EQ(s.steps.maxStep, 0);
  EXPECT_EQ(s.steps.minStep, 9);
  EXPECT_EQ(s.info.frequencyBitmap, "0x01555540");
  EXPECT_EQ(s.info.voltageBitmap, "0x1f568000");
  // 0x119, window, step count, four per step, policy.
  EXPECT_EQ(s.port.RequestCount(), 1u + 1u + 1u + 40u + 1u);

  ASSERT_TRUE(s.link.ReadWindow().ok);
  EXPECT_EQ(s.link.WindowReply().low, 0u);
  EXPECT_EQ(s.link.WindowReply().high, 100u);
}

TEST(SimSetUp, SweepFindsTheSameStepsAsTheRegisters) {
  SimRun registers(Profile::Default, {1, 4, 10});
  SimRun sweep(Profile::SweepOnly, {1, 4, 10});  // 9x: dividers through PCI
  ASSERT_TRUE(sweep.outcome.IsOk()) << static_cast<int>(sweep.outcome.kind);
  EXPECT_FALSE(sweep.state.hasStepRegisters);
  const StepTable& a = registers.steps;
  const StepTable& b = sweep.steps;
  ASSERT_EQ(b.lastStep, a.lastStep);
  for (int i = 0; i <= a.lastStep; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(b.frequencyMHz[i], a.frequencyMHz[i]);
    EXPECT_EQ(b.level[i], a.level[i]);
    EXPECT_EQ(b.voltage[i], a.voltage[i]);
    EXPECT_EQ(b.cdDivider[i], a.cdDivider[i]);
    EXPECT_EQ(b.sdDivider[i], a.sdDivider[i]);
    EXPECT_EQ(b.cdFrequencyMHz[i], a.cdFrequencyMHz[i]);
    EXPECT_EQ(b.sdFrequencyMHz[i], a.sdFrequencyMHz[i]);
  }
  EXPECT_EQ(b.maxStep, a.maxStep);
  EXPECT_EQ(b.minStep, a.minStep);
  EXPECT_EQ(sweep.info.frequencyBitmap, registers.info.frequencyBitmap);
  EXPECT_EQ(sweep.info.voltageBitmap, registers.info.voltageBitmap);
  // The sweep leaves the window as it found it.
  EXPECT_EQ(sweep.cpu.WindowLower(), 0u);
  EXPECT_EQ(sweep.cpu.WindowUpper(), 100u);
}

TEST(SimSetUp, OtherProfiles) {
  {
    SimRun s(Profile::VaristepAbsent);
    EXPECT_EQ(s.outcome.kind, SetupOutcome::Kind::VaristepAbsent);
    EXPECT_FALSE(s.link.IsOpen());
    EXPECT_EQ(s.port.RequestCount(), 0u);
  }
  {
    SimRun s(Profile::WrongVendor);
    EXPECT_EQ(s.outcome.kind, SetupOutcome::Kind::WrongVendor);
  }
  {
    SimRun s(Profile::PsnDisabled);
    ASSERT_TRUE(s.outcome.IsOk());
    EXPECT_TRUE(s.info.serialDisabled);
  }
  {
    SimRun s(Profile::SmallCache);
    ASSERT_TRUE(s.outcome.IsOk());
    EXPECT_EQ(s.info.cpuType, "ZN2710");
    EXPECT_EQ(s.info.l2CacheSize, "256 KBytes");
    EXPECT_EQ(s.state.voltageTable, VoltageTable::A);
    EXPECT_NE(s.info.voltageBitmap, "0x00000000");
  }
  {
    SimRun s(Profile::OneStep);
    ASSERT_TRUE(s.outcome.IsOk());
    EXPECT_EQ(s.steps.lastStep, 0);
    EXPECT_EQ(s.steps.frequencyMHz[0], 600);
    EXPECT_EQ(s.steps.maxStep, 0);
    EXPECT_EQ(s.steps.minStep, 0);
  }
  {
    SimRun s(Profile::TooManySteps);
    ASSERT_TRUE(s.outcome.IsOk());
    EXPECT_EQ(s.steps.lastStep, 9);
    const sim::SimSteps& all = s.cpu.Config().steps;
    ASSERT_GT(all.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(s.steps.frequencyMHz[i], all[i].mhz);
  }
}

TEST(SimSetUp, SweepOfManyStepsStopsAtTen) {
  sim::SimConfig config = sim::ProfileConfig(Profile::TooManySteps);
  config.stepRegisters = false;
  SimProcessor cpu(config);
  SimDriverPort port(cpu);
  DriverLink link(port);
  ASSERT_TRUE(OpenDriver(link, ChooseDriverPath({2, 5, 0})).IsOk());
  ProcessorState state;
  StepTable steps;
  ProcessorInfo info;
  ASSERT_TRUE(BuildStepTable(link, cpu, nullptr, nullptr, state, steps, info).IsOk());
  EXPECT_EQ(steps.lastStep, 9);
  EXPECT_EQ(steps.level[0], 100);
  EXPECT_EQ(cpu.WindowUpper(), 100u);
}

TEST(SimFaults, EachSetUpRequestCanEndTheSetUp) {
  SimRun probe(Profile::SweepOnly);
  uint32_t total = probe.port.RequestCount();
  ASSERT_GT(total, 100u);
  for (uint32_t k = 1; k <= total; ++k) {
    SimProcessor cpu(Profile::SweepOnly);
    SimDriverPort port(cpu);
    port.RefuseRequest(k);
    DriverLink link(port);
    ProcessorInfo info;
    ProcessorState state;
    StepTable steps;
    bool performance = false;
    ASSERT_TRUE(IdentifyProcessor(cpu, info, state).IsOk());
    ASSERT_TRUE(OpenDriver(link, ChooseDriverPath({2, 5, 1})).IsOk());
    SetupOutcome o = ReadSerialNumber(link, cpu, info);
    if (o.IsOk()) o = BuildStepTable(link, cpu, nullptr, nullptr, state, steps, info);
    if (o.IsOk()) o = ReadPolicy(link, performance);
    EXPECT_EQ(o.kind, SetupOutcome::Kind::RequestRefused) << k;
    // A sweep stopped after the window was read writes it back, and nothing else follows. The
    // write-back itself (the request before the policy read) is not sent again when refused.
    const bool writeBack = k == total - 1;
    const bool sweeping = k > 2 && k < total - 1;
    EXPECT_EQ(port.RequestCount(), sweeping ? k + 1 : k) << k;
    if (writeBack) continue;
    EXPECT_EQ(cpu.WindowLower(), 0u) << k;
    EXPECT_EQ(cpu.WindowUpper(), 100u) << k;
  }
}

}  // namespace
