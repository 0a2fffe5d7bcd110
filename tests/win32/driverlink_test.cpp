// The driver link on Windows: the real platform calls for a device that is not there, and the
// whole set-up against the simulated driver.
#include <gtest/gtest.h>

#include "monitor/MonitorDialog.h"
#include "processor/DriverLink.h"
#include "processor/ProcessorStart.h"
#include "processor/Win32Platform.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"
#include "support/PrintText.h"

namespace {

TEST(Win32DriverLink, MissingDeviceGivesTheNumberedText) {
  Win32DriverPort port;
  DriverLink link(port);
  DriverPath path = ChooseDriverPath(ReadWindowsVersion());
  path.path = "\\\\.\\VaristepNoSuchDevice";
  SetupOutcome outcome = OpenDriver(link, path);
  EXPECT_EQ(outcome.kind, SetupOutcome::Kind::OpenFailed);
  EXPECT_EQ(link.OpenError(), 2u);
  const monitor::BoxText box = monitor::SetupFailureText(outcome);
  EXPECT_EQ(box.text, "Unable to open VxD, Error code: 2\n");
  EXPECT_EQ(box.caption, "");
  EXPECT_TRUE(outcome.endsProcess);
  EXPECT_EQ(link.Device(), InvalidDevice());
  uint32_t low = 0, high = 0;
  EXPECT_FALSE(link.ReadRegister(0x119, 256, 256, low, high));
  link.Close();
}

TEST(Win32DriverLink, VersionChoosesTheNtDevice) {
  VersionFields version = ReadWindowsVersion();
  EXPECT_EQ(version.platformId, 2u);
  DriverPath path = ChooseDriverPath(version);
  EXPECT_STREQ(path.path, "\\\\.\\I2CDev");
  EXPECT_EQ(path.controlCode, 0x9C40E804u);
  EXPECT_EQ(path.openFlags, 0u);
}

TEST(Win32DriverLink, HostProcessorIsNotACorvalith) {
  HardwareCpuid cpuid;
  // Leaves the host lacks must answer, not fault.
  cpuid.Query(0x80860007);
  cpuid.Query(0x80860001);
  ProcessorInfo info;
  ProcessorState state;
  EXPECT_EQ(IdentifyProcessor(cpuid, info, state).kind, SetupOutcome::Kind::WrongVendor);
}

TEST(Win32DriverLink, SimulatedDriverBuildsTheTable) {
  sim::SimProcessor cpu;
  sim::SimDriverPort port(cpu);
  DriverLink link(port);
  ProcessorInfo info;
  ProcessorState state;
  StepTable steps;
  DriverPath path = ChooseDriverPath(ReadWindowsVersion(), state);
  ASSERT_TRUE(IdentifyProcessor(cpu, info, state).IsOk());
  ASSERT_TRUE(OpenDriver(link, path).IsOk());
  ASSERT_TRUE(ReadSerialNumber(link, cpu, info).IsOk());
  ASSERT_TRUE(BuildStepTable(link, cpu, nullptr, nullptr, state, steps, info).IsOk());
  EXPECT_EQ(steps.lastStep, 9);
  EXPECT_EQ(steps.frequencyMHz[0], 1000);
  EXPECT_EQ(info.frequencyBitmap, "0x01555540");
  EXPECT_EQ(info.cpuRevision, "1.48.2.4-7");
  bool performance = false;
  ASSERT_TRUE(ReadPolicy(link, performance).IsOk());
  EXPECT_TRUE(performance);
  ASSERT_TRUE(link.ReadWindow().ok);
  EXPECT_EQ(link.WindowReply().high, 100u);
  link.Close();
  EXPECT_FALSE(link.ReadWindow().ok);
}

}  // namespace
