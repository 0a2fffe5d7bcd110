// The simulated processor and driver: the whole set-up sequence through DriverLink, the
// profiles, the driver's refusals, the scaling dynamics and the fault plan.
#include <cstring>

#include <gtest/gtest.h>

#include "processor/DriverLink.h"
#include "processor/DriverPath.h"
#include "processor/Setup.h"
#include "sim/HostLoad.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"

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
    const std::vector<sim::SimStep>& all = s.cpu.Config().steps;
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

TEST(SimDriver, OpensOnlyTheTwoDevicePaths) {
  SimProcessor cpu;
  SimDriverPort port(cpu);
  EXPECT_NE(port.Open("\\\\.\\I2CDev", 0), InvalidDevice());
  EXPECT_NE(port.Open("\\\\.\\stpvxd.vxd", 0x04000000), InvalidDevice());
  EXPECT_EQ(port.OpenFlags(), 0x04000000u);
  EXPECT_EQ(port.Open("\\\\.\\Other", 0), InvalidDevice());
  EXPECT_EQ(port.LastError(), 2u);
  // With only the 9x driver installed, the NT path is not found.
  port.InstallOnly("\\\\.\\stpvxd.vxd");
  EXPECT_EQ(port.Open("\\\\.\\I2CDev", 0), InvalidDevice());
  EXPECT_EQ(port.LastError(), 2u);
  EXPECT_NE(port.Open("\\\\.\\stpvxd.vxd", 0x04000000), InvalidDevice());
  port.InstallOnly(nullptr);

  DriverLink link(port);
  SetupOutcome outcome =
      OpenDriver(link, DriverPath{"\\\\.\\NoSuch", 0x9C40E804, 0, OsKind::OtherNt});
  EXPECT_EQ(outcome.kind, SetupOutcome::Kind::OpenFailed);
  EXPECT_EQ(outcome.openError, 2u);

  port.FailOpen(50);
  DriverLink refused(port);
  EXPECT_EQ(OpenDriver(refused, ChooseDriverPath({2, 5, 1})).kind,
            SetupOutcome::Kind::OpenNotSupported);
}

TEST(SimDriver, RefusesWrongCodeUnknownOrClosedDevicesAndOddBuffers) {
  SimProcessor cpu;
  SimDriverPort port(cpu);
  DeviceHandle nt = port.Open("\\\\.\\I2CDev", 0);
  MsrRequest request = {256, 256, 0x80868010};
  MsrRequest reply = {};
  uint32_t bytes = 0;
  EXPECT_TRUE(port.Control(nt, 0x9C40E804, &request, 12, &reply, 12, &bytes));
  EXPECT_EQ(reply.high, 100u);
  EXPECT_EQ(bytes, 12u);
  EXPECT_FALSE(port.Control(nt, 1, &request, 12, &reply, 12, &bytes));  // the 9x code
  EXPECT_FALSE(port.Control(nt, 0x9C40E804, &request, 8, &reply, 12, &bytes));
  EXPECT_FALSE(port.Control(nt, 0x9C40E804, &request, 12, &reply, 4, &bytes));
  EXPECT_FALSE(port.Control(InvalidDevice(), 0x9C40E804, &request, 12, &reply, 12, &bytes));

  DeviceHandle vxd = port.Open("\\\\.\\stpvxd.vxd", 0x04000000);
  EXPECT_TRUE(port.Control(vxd, 1, &request, 12, &reply, 12, &bytes));
  EXPECT_FALSE(port.Control(vxd, 0x9C40E804, &request, 12, &reply, 12, &bytes));

  EXPECT_TRUE(port.Close(nt));
  EXPECT_FALSE(port.Close(nt));
  EXPECT_FALSE(port.Control(nt, 0x9C40E804, &request, 12, &reply, 12, &bytes));
  EXPECT_EQ(port.RequestCount(), 8u);

  // No output buffer makes the same words a write.
  MsrRequest pin = {44, 44, 0x80868010};
  EXPECT_TRUE(port.Control(vxd, 1, &pin, 12, nullptr, 0, &bytes));
  EXPECT_EQ(cpu.WindowLower(), 44u);
  EXPECT_EQ(cpu.Current().level, 44);
  // Registers the processor lacks, and writes to read-only ones, are refused.
  MsrRequest unknown = {256, 256, 0x80868099};
  EXPECT_FALSE(port.Control(vxd, 1, &unknown, 12, &reply, 12, &bytes));
  MsrRequest serial = {0, 0, 0x119};
  EXPECT_FALSE(port.Control(vxd, 1, &serial, 12, nullptr, 0, &bytes));
}

TEST(SimDynamics, CurrentStateIsReportedByCpuid) {
  SimProcessor cpu;
  EXPECT_TRUE(cpu.WriteMsr(0x80868010, 67, 67));
  CpuidResult now = cpu.Query(0x80860007);
  EXPECT_EQ(now.eax, 800u);
  EXPECT_EQ(now.ebx, 1450u);
  EXPECT_EQ(now.ecx, 67u);
  // A pinned level between two steps lands on the lower one.
  EXPECT_TRUE(cpu.WriteMsr(0x80868010, 95, 95));
  EXPECT_EQ(cpu.Query(0x80860007).ecx, 89u);
}

TEST(SimDynamics, PerformanceJumpsToTheLimits) {
  SimProcessor cpu;
  ASSERT_TRUE(cpu.WriteMsr(0x80868010, 22, 89));  // steps 1..7
  cpu.SetLoad(90);
  cpu.AdvanceClock(99);             // not a full period yet
  EXPECT_EQ(cpu.CurrentStep(), 1);  // the window write put it inside at once
  cpu.AdvanceClock(1);
  EXPECT_EQ(cpu.CurrentStep(), 1);
  cpu.SetLoad(5);
  cpu.AdvanceClock(99);
  EXPECT_EQ(cpu.CurrentStep(), 1);
  cpu.AdvanceClock(1);
  EXPECT_EQ(cpu.CurrentStep(), 7);
  cpu.SetLoad(90);
  cpu.AdvanceClock(100);
  EXPECT_EQ(cpu.CurrentStep(), 1);
  EXPECT_EQ(cpu.Query(0x80860007).eax, 933u);
}

TEST(SimDynamics, EconomyClimbsOneStepPerPeriodAndFallsBackAtOnce) {
  SimProcessor cpu;
  ASSERT_TRUE(cpu.WriteMsr(0x80868011, 0, 0));
  EXPECT_FALSE(cpu.Performance());
  cpu.SetLoad(0);
  cpu.AdvanceClock(100);
  EXPECT_EQ(cpu.CurrentStep(), 9);
  cpu.SetLoad(100);
  cpu.AdvanceClock(300);
  EXPECT_EQ(cpu.CurrentStep(), 6);
  cpu.AdvanceClock(10000);
  EXPECT_EQ(cpu.CurrentStep(), 0);  // stops at the window's top
  cpu.SetLoad(10);
  cpu.AdvanceClock(100);
  EXPECT_EQ(cpu.CurrentStep(), 9);

  // Narrowing the window moves the current step into it immediately.
  ASSERT_TRUE(cpu.WriteMsr(0x80868010, 33, 78));
  EXPECT_EQ(cpu.CurrentStep(), 6);
  cpu.SetLoad(100);
  cpu.SetClock(cpu.Clock() + 1000);
  EXPECT_EQ(cpu.CurrentStep(), 2);
}

TEST(SimFaults, RefusesTheChosenRequestOrRegister) {
  SimProcessor cpu;
  SimDriverPort port(cpu);
  DriverLink link(port);
  ASSERT_TRUE(link.Open(ChooseDriverPath({2, 5, 1})));
  port.RefuseRequest(2);
  uint32_t low = 0, high = 0;
  EXPECT_TRUE(link.ReadRegister(0x119, 256, 256, low, high));
  EXPECT_FALSE(link.ReadRegister(0x119, 256, 256, low, high));
  EXPECT_TRUE(link.ReadRegister(0x119, 256, 256, low, high));
  EXPECT_EQ(port.RequestCount(), 3u);

  port.RefuseRegister(0x8086801A);
  ProcessorState state;
  StepTable steps;
  ProcessorInfo info;
  SetupOutcome outcome = BuildStepTable(link, cpu, nullptr, nullptr, state, steps, info);
  EXPECT_EQ(outcome.kind, SetupOutcome::Kind::RequestRefused);
  EXPECT_EQ(steps.lastStep, -1);
  // Window, step count, select, level, then the refused frequency read.
  EXPECT_EQ(port.RequestCount(), 3u + 5u);
  ASSERT_FALSE(port.Log().empty());
  EXPECT_EQ(port.Log().back().request.msr, 0x8086801Au);
  EXPECT_FALSE(port.Log().back().accepted);

  port.ClearFaults();
  EXPECT_TRUE(BuildStepTable(link, cpu, nullptr, nullptr, state, steps, info).IsOk());
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
    // A sweep stopped after the window was read writes it back, and nothing else follows.
    const bool sweeping = k > 2 && k < total;
    EXPECT_EQ(port.RequestCount(), sweeping ? k + 1 : k) << k;
    EXPECT_EQ(cpu.WindowLower(), 0u) << k;
    EXPECT_EQ(cpu.WindowUpper(), 100u) << k;
  }
}

}  // namespace

namespace {

TEST(SimDriverLog, StaysBoundedOverALongRun) {
  sim::SimProcessor processor;
  sim::SimDriverPort port(processor);
  DriverLink link(port);
  ASSERT_TRUE(link.Open(ChooseDriverPath(VersionFields{2, 5, 1})));
  for (int i = 0; i < 20000; ++i) ASSERT_TRUE(link.ReadWindow().ok);
  EXPECT_LE(port.Log().size(), sim::SimDriverPort::kLogLimit);
  EXPECT_EQ(port.RequestCount(), 20000u);
}

TEST(SimClock, AJumpOfHoursSettlesWithoutReplayingEveryPeriod) {
  sim::SimProcessor processor;
  processor.SetLoad(100);
  processor.SetClock(uint64_t{1} << 40);  // would be ten billion decisions if replayed
  EXPECT_EQ(processor.CurrentStep(), 0);
  processor.SetLoad(0);
  processor.AdvanceClock(uint64_t{1} << 40);
  EXPECT_EQ(processor.CurrentStep(), static_cast<int>(processor.Config().steps.size()) - 1);
}

}  // namespace

namespace {

// Four processors over one second: the first one busy throughout, the other three idle.
TEST(HostLoad, OneBusyProcessorOfFourTakesTheSimulatedProcessorToTheTop) {
  sim::ProcessorTimes start[4] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
  sim::ProcessorTimes later[4] = {{0, 1000}, {1000, 1000}, {1000, 1000}, {1000, 1000}};
  sim::BusiestLoad load;
  EXPECT_EQ(load.Update(start, 4), -1);  // nothing to compare with yet
  const int busiest = load.Update(later, 4);
  EXPECT_EQ(busiest, 100);  // the average would be 25 %, below the processor's threshold

  for (bool performance : {true, false}) {
    sim::SimProcessor processor;
    processor.SetLoad(0);
    processor.AdvanceClock(2000);
    ASSERT_TRUE(processor.WriteMsr(MsrScalingPolicy, performance ? 1 : 0, 0));
    processor.SetLoad(busiest);
    processor.AdvanceClock(2000);  // Economy climbs a step per period
    EXPECT_EQ(processor.CurrentStep(), 0) << performance;
  }
}

TEST(HostLoad, BadReadingsGiveNoLoadInsteadOfAWrongOne) {
  sim::BusiestLoad load;
  const sim::ProcessorTimes a[2] = {{500, 1000}, {500, 1000}};
  load.Update(a, 2);
  const sim::ProcessorTimes same[2] = {{500, 1000}, {500, 1000}};
  EXPECT_EQ(load.Update(same, 2), -1);  // no time passed
  const sim::ProcessorTimes backwards[2] = {{100, 200}, {100, 200}};
  EXPECT_EQ(load.Update(backwards, 2), -1);
  const sim::ProcessorTimes idleBeyondTotal[2] = {{900, 300}, {150, 300}};
  EXPECT_EQ(load.Update(idleBeyondTotal, 2), 50);  // the first is skipped, the second counts
  const sim::ProcessorTimes fewer[1] = {{200, 400}};
  EXPECT_EQ(load.Update(fewer, 1), -1);  // a processor went away: start again
  EXPECT_EQ(load.Update(nullptr, 0), -1);
}

}  // namespace
