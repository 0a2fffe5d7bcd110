// The demo's load reader against stand-ins for each system source: which one it picks, and what
// load it reports from it. The stand-ins are __stdcall, as the looked-up functions are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/HostLoadReader.h"

namespace {

using app::HostLoadReader;
using Source = HostLoadReader::Source;

struct FakeSystem {
  bool perProcessor = false;
  std::vector<sim::ProcessorTimes> processors;  // idle and total (kernel + user) each
  bool systemTimes = false;
  sim::ProcessorTimes whole = {};
  bool counterStarts = false;
  bool counterReads = false;
  DWORD counter = 0;
  std::vector<std::string> opened;  // every key opened under HKEY_DYN_DATA
  int openKeys = 0;
};
FakeSystem fake;

const HKEY FakeKey = reinterpret_cast<HKEY>(uintptr_t{0x4321});

LARGE_INTEGER Large(uint64_t v) {
  LARGE_INTEGER l;
  l.QuadPart = static_cast<LONGLONG>(v);
  return l;
}

LONG WINAPI FakeQuery(ULONG infoClass, PVOID out, ULONG size, PULONG returned) {
  if (!fake.perProcessor || infoClass != 8) return -1;
  auto* records = static_cast<app::ProcessorPerformance*>(out);
  ULONG count = 0;
  for (const sim::ProcessorTimes& t : fake.processors) {
    if ((count + 1) * sizeof *records > size) break;
    records[count] = {};
    records[count].idle = Large(t.idle);
    // Kernel time includes idle, as the system reports it.
    records[count].kernel = Large(t.idle + (t.total - t.idle) / 2);
    records[count].user = Large(t.total - t.idle - (t.total - t.idle) / 2);
    ++count;
  }
  *returned = count * sizeof *records;
  return 0;
}

FILETIME File(uint64_t v) {
  return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

BOOL WINAPI FakeTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) {
  if (!fake.systemTimes) return FALSE;
  *idle = File(fake.whole.idle);
  *kernel = File(fake.whole.total - 10);
  *user = File(10);
  return TRUE;
}

LONG WINAPI FakeOpen(HKEY root, LPCSTR subkey, DWORD, REGSAM, PHKEY key) {
  if (root != HKEY_DYN_DATA) return ERROR_FILE_NOT_FOUND;
  fake.opened.push_back(subkey);
  if (!fake.counterStarts) return ERROR_FILE_NOT_FOUND;
  ++fake.openKeys;
  *key = FakeKey;
  return ERROR_SUCCESS;
}

LONG WINAPI FakeQueryValue(HKEY key, LPCSTR name, LPDWORD, LPDWORD, LPBYTE data, LPDWORD size) {
  if (key != FakeKey || std::string(name) != "KERNEL\\CPUUsage") return ERROR_FILE_NOT_FOUND;
  const bool reading = fake.opened.back() == "PerfStats\\StatData";
  if (reading && !fake.counterReads) return ERROR_FILE_NOT_FOUND;
  *reinterpret_cast<DWORD*>(data) = reading ? fake.counter : 0;
  *size = sizeof(DWORD);
  return ERROR_SUCCESS;
}

LONG WINAPI FakeClose(HKEY) {
  --fake.openKeys;
  return ERROR_SUCCESS;
}

const app::HostLoadApi FakeApi = {&FakeQuery, &FakeTimes, &FakeOpen, &FakeQueryValue, &FakeClose};

class DemoLoadReader : public ::testing::Test {
 protected:
  void SetUp() override { fake = FakeSystem{}; }
};

TEST_F(DemoLoadReader, PerProcessorTimesFollowTheBusiestProcessor) {
  fake.perProcessor = fake.systemTimes = true;
  fake.processors = {{1000, 2000}, {1000, 2000}, {1000, 2000}, {1000, 2000}};
  HostLoadReader reader(FakeApi);
  EXPECT_EQ(reader.Which(), Source::PerProcessor);
  EXPECT_EQ(reader.Sample(0), -1);  // the first sample has nothing to compare with
  // One of four processors busy, where the average would say 12 and then 25.
  fake.processors = {{1100, 2100}, {1100, 2100}, {1100, 2200}, {1100, 2100}};
  EXPECT_EQ(reader.Sample(250), 50);
  fake.processors = {{1200, 2200}, {1200, 2200}, {1100, 2300}, {1200, 2200}};
  EXPECT_EQ(reader.Sample(500), 100);
  // No time passed anywhere: no reading rather than a division by zero.
  EXPECT_EQ(reader.Sample(750), -1);
  EXPECT_TRUE(fake.opened.empty());
}

TEST_F(DemoLoadReader, SystemTimesWhenThereAreNoPerProcessorTimes) {
  fake.systemTimes = true;
  fake.whole = {5000, 9000};
  HostLoadReader reader(FakeApi);
  EXPECT_EQ(reader.Which(), Source::SystemTimes);
  EXPECT_EQ(reader.Sample(0), -1);
  fake.whole = {5030, 9100};
  EXPECT_EQ(reader.Sample(250), 70);
  EXPECT_EQ(reader.Sample(500), -1);  // two equal samples
}

TEST_F(DemoLoadReader, NineXCounterIsStartedReadAndStopped) {
  fake.counterStarts = fake.counterReads = true;
  fake.counter = 37;
  {
    HostLoadReader reader(FakeApi);
    EXPECT_EQ(reader.Which(), Source::UsageCounter);
    EXPECT_EQ(reader.Sample(0), 37);
    fake.counter = 250;  // out of range: capped
    EXPECT_EQ(reader.Sample(250), 100);
  }
  const std::vector<std::string> expected = {"PerfStats\\StartStat", "PerfStats\\StatData",
                                             "PerfStats\\StopStat"};
  EXPECT_EQ(fake.opened, expected);
  EXPECT_EQ(fake.openKeys, 0);
}

TEST_F(DemoLoadReader, PatternWhenNoSourceAnswers) {
  // The counter does not start; then it starts but cannot be read, and is stopped again.
  for (bool starts : {false, true}) {
    fake = FakeSystem{};
    fake.counterStarts = starts;
    HostLoadReader reader(FakeApi);
    EXPECT_EQ(reader.Which(), Source::Pattern);
    EXPECT_EQ(reader.Sample(1000), 100);
    EXPECT_EQ(reader.Sample(5000), 0);
    EXPECT_EQ(fake.openKeys, 0);
    EXPECT_EQ(fake.opened.back(), starts ? "PerfStats\\StopStat" : "PerfStats\\StartStat");
  }
  // Neither looked-up function exists at all.
  HostLoadReader bare(app::HostLoadApi{nullptr, nullptr, &FakeOpen, &FakeQueryValue, &FakeClose});
  EXPECT_EQ(bare.Which(), Source::Pattern);
}

}  // namespace
