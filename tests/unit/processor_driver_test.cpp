// Driver path choice and the link's platform calls, against a port that records each call.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "processor/DriverLink.h"
#include "processor/DriverPath.h"
#include "processor/ProcessorState.h"
#include "processor/ProcessorStart.h"

namespace {

struct ControlCall {
  DeviceHandle device;
  uint32_t code;
  const void* in;
  uint32_t inSize;
  MsrRequest sent;
  void* out;
  uint32_t outSize;
  uint32_t* bytesReturned;
};

class RecordingPort : public DriverPort {
 public:
  DeviceHandle Open(const char* path, uint32_t flags) override {
    openedPath = path;
    openedFlags = flags;
    ++opens;
    return openResult;
  }
  uint32_t LastError() override { return lastError; }
  bool Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize, void* out,
               uint32_t outSize, uint32_t* bytesReturned) override {
    ControlCall call{device, code, in, inSize, {}, out, outSize, bytesReturned};
    std::memcpy(&call.sent, in, sizeof call.sent);
    controls.push_back(call);
    if (out != nullptr) std::memcpy(out, &replyWords, sizeof replyWords);
    if (bytesReturned != nullptr) *bytesReturned = replyBytes;
    return succeed;
  }
  bool Close(DeviceHandle device) override {
    closed.push_back(device);
    return true;
  }

  DeviceHandle openResult = reinterpret_cast<DeviceHandle>(uintptr_t{0x1234});
  uint32_t lastError = 0;
  bool succeed = true;
  MsrRequest replyWords = {0x11111111, 0x22222222, 0x33333333};
  uint32_t replyBytes = 12;
  std::string openedPath;
  uint32_t openedFlags = 0xDEAD;
  int opens = 0;
  std::vector<ControlCall> controls;
  std::vector<DeviceHandle> closed;
};

const DriverPath ntPath = {"\\\\.\\I2CDev", 0x9C40E804, 0};
const DriverPath vxdPath = {"\\\\.\\stpvxd.vxd", 1, 0x04000000};

TEST(DriverPath, PlatformIdAndVersionChooseThePath) {
  struct Case {
    VersionFields version;
    const char* path;
    uint32_t code;
    uint32_t flags;
    int osKind;  // 0 9x, 1 other NT, 2 Windows 2000, 3 XP
  };
  const Case cases[] = {
      {{0, 3, 10}, "\\\\.\\stpvxd.vxd", 1, 0x04000000, 0},
      {{1, 4, 10}, "\\\\.\\stpvxd.vxd", 1, 0x04000000, 0},
      {{1, 5, 0}, "\\\\.\\stpvxd.vxd", 1, 0x04000000, 0},  // the id decides, not the version
      {{2, 4, 0}, "\\\\.\\I2CDev", 0x9C40E804, 0, 1},
      {{2, 5, 0}, "\\\\.\\I2CDev", 0x9C40E804, 0, 2},
      {{2, 5, 1}, "\\\\.\\I2CDev", 0x9C40E804, 0, 3},
      {{2, 5, 2}, "\\\\.\\I2CDev", 0x9C40E804, 0, 3},
      {{2, 6, 0}, "\\\\.\\I2CDev", 0x9C40E804, 0, 1},
      {{2, 10, 0}, "\\\\.\\I2CDev", 0x9C40E804, 0, 1},
      {{3, 5, 1}, "\\\\.\\I2CDev", 0x9C40E804, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.version.platformId << " " << c.version.major << "." << c.version.minor);
    DriverPath path = ChooseDriverPath(c.version);
    EXPECT_STREQ(path.path, c.path);
    EXPECT_EQ(path.controlCode, c.code);
    EXPECT_EQ(path.openFlags, c.flags);
    EXPECT_EQ(static_cast<int>(KindOfWindows(c.version)), c.osKind);

    ProcessorState state;
    state.osKind = static_cast<OsKind>(99);
    ChooseDriverPath(c.version, state);
    EXPECT_EQ(static_cast<int>(state.osKind), c.osKind);
  }
}

TEST(DriverLink, OpensWithThePathsFlagsAndKeepsItsCode) {
  RecordingPort port;
  DriverLink link(port);
  EXPECT_EQ(link.Device(), InvalidDevice());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_TRUE(OpenDriver(link, vxdPath).IsOk());
  EXPECT_EQ(port.openedPath, "\\\\.\\stpvxd.vxd");
  EXPECT_EQ(port.openedFlags, 0x04000000u);
  EXPECT_EQ(link.Device(), port.openResult);
  EXPECT_EQ(link.ControlCode(), 1u);
  EXPECT_EQ(link.OpenFlags(), 0x04000000u);
  EXPECT_TRUE(link.IsOpen());
}

TEST(DriverLink, ReadPassesTheReplyBufferAndWritePassesNone) {
  RecordingPort port;
  DriverLink link(port);
  ASSERT_TRUE(link.Open(ntPath));

  uint32_t low = 0, high = 0;
  EXPECT_TRUE(link.ReadRegister(0x80868019, 256, 0, low, high));
  EXPECT_EQ(low, 0x11111111u);
  EXPECT_EQ(high, 0x22222222u);
  EXPECT_TRUE(link.WriteRegister(0x80868010, 7, 9));

  ASSERT_EQ(port.controls.size(), 2u);
  const ControlCall& read = port.controls[0];
  EXPECT_EQ(read.device, port.openResult);
  EXPECT_EQ(read.code, 0x9C40E804u);
  EXPECT_EQ(read.in, &link.Request());
  EXPECT_EQ(read.inSize, 12u);
  EXPECT_EQ(read.out, &link.Reply());
  EXPECT_EQ(read.outSize, 12u);
  EXPECT_EQ(read.bytesReturned, &link.BytesReturned());
  EXPECT_EQ(read.sent.low, 256u);
  EXPECT_EQ(read.sent.high, 0u);
  EXPECT_EQ(read.sent.msr, 0x80868019u);

  const ControlCall& write = port.controls[1];
  EXPECT_EQ(write.in, &link.Request());
  EXPECT_EQ(write.inSize, 12u);
  EXPECT_EQ(write.out, nullptr);
  EXPECT_EQ(write.outSize, 0u);
  EXPECT_EQ(write.sent.low, 7u);
  EXPECT_EQ(write.sent.high, 9u);
  EXPECT_EQ(write.sent.msr, 0x80868010u);
}

TEST(DriverLink, OnlyTheReturnValueDecides) {
  RecordingPort port;
  DriverLink link(port);
  ASSERT_TRUE(link.Open(ntPath));
  uint32_t low = 5, high = 6;

  port.replyBytes = 0;  // a driver that reports no bytes still answered
  EXPECT_TRUE(link.ReadRegister(0x119, 256, 256, low, high));
  EXPECT_EQ(low, 0x11111111u);

  port.succeed = false;
  port.replyBytes = 12;
  low = 5;
  high = 6;
  EXPECT_FALSE(link.ReadRegister(0x119, 256, 256, low, high));
  EXPECT_EQ(low, 5u);  // untouched on failure
  EXPECT_EQ(high, 6u);
  EXPECT_FALSE(link.WriteRegister(0x80868011, 1, 0));
}

TEST(DriverLink, WindowReadUsesItsOwnBuffers) {
  RecordingPort port;
  DriverLink link(port);
  ASSERT_TRUE(link.Open(ntPath));
  EXPECT_EQ(link.WindowRequest().low, 256u);
  EXPECT_EQ(link.WindowRequest().high, 256u);
  EXPECT_EQ(link.WindowRequest().msr, 0x80868010u);
  EXPECT_TRUE(link.WriteRegister(3, 1, 2));

  const WindowReading window = link.ReadWindow();
  EXPECT_TRUE(window.ok);
  ASSERT_EQ(port.controls.size(), 2u);
  EXPECT_EQ(port.controls[1].in, &link.WindowRequest());
  EXPECT_EQ(port.controls[1].inSize, 12u);
  EXPECT_EQ(port.controls[1].out, &link.WindowReply());
  EXPECT_EQ(port.controls[1].outSize, 12u);
  EXPECT_EQ(window.lower, 0x11111111u);
  EXPECT_EQ(window.upper, 0x22222222u);
  EXPECT_EQ(link.Request().msr, 3u);  // the set-up pair is left alone

  // A refused read keeps the words of the last good one, whatever the driver left behind.
  port.succeed = false;
  const WindowReading refused = link.ReadWindow();
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.lower, 0x11111111u);
  EXPECT_EQ(refused.upper, 0x22222222u);
}

TEST(DriverLink, NothingReachesThePortWithoutAnOpenDevice) {
  RecordingPort port;
  port.openResult = InvalidDevice();
  DriverLink link(port);
  uint32_t low = 0, high = 0;
  EXPECT_FALSE(link.ReadRegister(0x119, 256, 256, low, high));  // never opened
  EXPECT_FALSE(link.Open(ntPath));
  EXPECT_FALSE(link.ReadRegister(0x119, 256, 256, low, high));  // open failed
  EXPECT_FALSE(link.WriteRegister(0x80868011, 1, 0));
  EXPECT_FALSE(link.ReadWindow().ok);
  link.Close();
  EXPECT_TRUE(port.controls.empty());
  EXPECT_TRUE(port.closed.empty());
}

TEST(DriverLink, CloseReleasesTheHandleOnceAndKeepsItsValue) {
  RecordingPort port;
  DriverLink link(port);
  ASSERT_TRUE(link.Open(ntPath));
  link.Close();
  ASSERT_EQ(port.closed.size(), 1u);
  EXPECT_EQ(port.closed[0], port.openResult);
  EXPECT_EQ(link.Device(), port.openResult);
  EXPECT_FALSE(link.IsOpen());

  uint32_t low = 0, high = 0;
  EXPECT_FALSE(link.ReadRegister(0x119, 256, 256, low, high));
  EXPECT_FALSE(link.WriteRegister(0x80868011, 0, 0));
  EXPECT_FALSE(link.ReadWindow().ok);
  link.Close();
  EXPECT_TRUE(port.controls.empty());
  EXPECT_EQ(port.closed.size(), 1u);
}

// The words of each are checked where the window shows them.
TEST(OpenDriver, Error50HasItsOwnOutcomeAndOthersKeepTheCode) {
  struct Case {
    uint32_t error;
    SetupOutcome::Kind kind;
  };
  const Case cases[] = {
      {50, SetupOutcome::Kind::OpenNotSupported},
      {2, SetupOutcome::Kind::OpenFailed},
      {0x1F, SetupOutcome::Kind::OpenFailed},
      {0xC0000022, SetupOutcome::Kind::OpenFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    RecordingPort port;
    port.openResult = InvalidDevice();
    port.lastError = c.error;
    DriverLink link(port);
    SetupOutcome outcome = OpenDriver(link, ntPath);
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.openError, c.kind == SetupOutcome::Kind::OpenFailed ? c.error : 0u);
    EXPECT_TRUE(outcome.endsProcess);
    EXPECT_EQ(link.Device(), InvalidDevice());
    EXPECT_EQ(link.OpenError(), c.error);
  }
}

}  // namespace
