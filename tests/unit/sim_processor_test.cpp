// The simulated processor and driver on their own: the driver's refusals, the scaling
// dynamics, the fault plan's register refusals, the bounded log and the host's load.
#include <gtest/gtest.h>

#include "processor/DriverLink.h"
#include "processor/DriverPath.h"
#include "processor/ProcessorStart.h"
#include "sim/HostLoad.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"

namespace {

using sim::SimDriverPort;
using sim::SimProcessor;

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
  SetupOutcome outcome = OpenDriver(link, DriverPath{"\\\\.\\NoSuch", 0x9C40E804, 0});
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

TEST(SimDriverLog, StaysBoundedOverALongRun) {
  sim::SimProcessor processor;
  sim::SimDriverPort port(processor);
  DriverLink link(port);
  ASSERT_TRUE(link.Open(ChooseDriverPath(VersionFields{2, 5, 1})));
  for (int i = 0; i < 20000; ++i) ASSERT_TRUE(link.ReadWindow().ok);
  EXPECT_LE(port.Log().size(), sim::SimDriverPort::LogLimit);
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
