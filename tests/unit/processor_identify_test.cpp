// Identification texts, the serial number and the policy read, against a scripted CPUID source
// and a recording register fake.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "processor/MsrRequest.h"
#include "processor/ProcessorStart.h"
#include "support/PrintText.h"

namespace {

uint32_t Pack(const char* text, size_t offset, size_t length) {
  uint32_t word = 0;
  for (size_t i = 0; i < 4 && offset + i < length; ++i) {
    word |= static_cast<uint32_t>(static_cast<unsigned char>(text[offset + i])) << (8 * i);
  }
  return word;
}

class FakeCpuid : public CpuidSource {
 public:
  CpuidResult Query(uint32_t leaf) override {
    queried.push_back(leaf);
    auto it = leaves.find(leaf);
    return it == leaves.end() ? CpuidResult{0, 0, 0, 0} : it->second;
  }

  void SetVendor(const char* twelve) {
    leaves[LeafExtendedVendor] = {0x80000006, Pack(twelve, 0, 12), Pack(twelve, 8, 12),
                                  Pack(twelve, 4, 12)};
  }
  // length counts embedded NULs; the chunk is padded with NULs to 16 bytes.
  void SetBrandChunk(int index, const char* text, size_t length) {
    leaves[LeafBrandFirst + static_cast<uint32_t>(index)] = {
        Pack(text, 0, length), Pack(text, 4, length), Pack(text, 8, length),
        Pack(text, 12, length)};
  }
  bool Queried(uint32_t leaf) const {
    for (uint32_t q : queried) {
      if (q == leaf) return true;
    }
    return false;
  }

  std::map<uint32_t, CpuidResult> leaves;
  std::vector<uint32_t> queried;
};

// A Corvalith ZN2730 with Varistep and step registers.
FakeCpuid GoodProcessor() {
  FakeCpuid cpu;
  cpu.SetVendor("CorvalithCPU");
  cpu.leaves[LeafSignature] = {0x00000543, 0, 0, 0};
  cpu.leaves[LeafRevision] = {0x543, 0x01300204, 7, VaristepFlag | StepRegistersFlag};
  const char* brand = "Corvalith Zephrin(tm) Processor 1000MHz";
  cpu.SetBrandChunk(0, brand, 16);
  cpu.SetBrandChunk(1, brand + 16, 16);
  cpu.SetBrandChunk(2, brand + 32, std::strlen(brand + 32));
  cpu.leaves[LeafL2Cache] = {0, 0, (512u << 16) | 0x4080u, 0};
  cpu.leaves[LeafXtlVersion] = {0, 0x04020100, 20010424, 0};
  cpu.leaves[LeafSerialNumber] = {0, 0x00000543, 0x1A2B3C4D, 0x5E6F7081};
  return cpu;
}

struct RegisterCall {
  bool write;
  uint32_t msr, low, high;
};

class RecordingRegisters : public RegisterIo {
 public:
  bool ReadRegister(uint32_t msr, uint32_t lowFiller, uint32_t highFiller, uint32_t& low,
                    uint32_t& high) override {
    calls.push_back({false, msr, lowFiller, highFiller});
    if (refuse) return false;
    low = replyLow;
    high = replyHigh;
    return true;
  }
  bool WriteRegister(uint32_t msr, uint32_t low, uint32_t high) override {
    calls.push_back({true, msr, low, high});
    return !refuse;
  }

  uint32_t replyLow = 0, replyHigh = 0;
  bool refuse = false;
  std::vector<RegisterCall> calls;
};

void ExpectRefused(const SetupOutcome& outcome) {
  EXPECT_EQ(outcome.kind, SetupOutcome::Kind::RequestRefused);
  EXPECT_EQ(outcome.kind, SetupOutcome::Kind::RequestRefused);
  EXPECT_TRUE(outcome.endsProcess);
}

TEST(Identify, FillsTheIdentificationTextsOfAGoodProcessor) {
  FakeCpuid cpu = GoodProcessor();
  ProcessorInfo info;
  ProcessorState state;
  SetupOutcome outcome = IdentifyProcessor(cpu, info, state);

  EXPECT_TRUE(outcome.IsOk());
  EXPECT_FALSE(outcome.endsProcess);
  EXPECT_EQ(info.cpuId, "0x00000543");
  EXPECT_EQ(info.cpuRevision, "1.48.2.4-7");
  EXPECT_EQ(info.cpuName, "Corvalith Zephrin(tm) Processor 1000MHz");
  EXPECT_EQ(info.l2CacheSize, "512 KBytes");
  EXPECT_EQ(info.cpuType, "ZN2730");
  EXPECT_EQ(info.xtlVersion, "4.2.1-0-20010424");
  EXPECT_EQ(state.voltageTable, VoltageTable::B);
  EXPECT_TRUE(state.hasVaristep);
  // Filled later, by the serial-number read and the step table.
  EXPECT_EQ(info.serialNumber, "");
  EXPECT_EQ(info.frequencyBitmap, "");
  EXPECT_EQ(info.voltageBitmap, "");
  EXPECT_FALSE(cpu.Queried(LeafSerialNumber));
}

TEST(Identify, BuildNumbersPrintAsSigned32BitOnEveryHost) {
  FakeCpuid cpu = GoodProcessor();
  cpu.leaves[LeafRevision].ecx = 0xFFFFFFFF;
  cpu.leaves[LeafRevision].ebx = 0xFFEE0100;
  cpu.leaves[LeafXtlVersion] = {0, 0x80FF0001, 0x80000000, 0};
  ProcessorInfo info;
  ProcessorState state;
  IdentifyProcessor(cpu, info, state);
  EXPECT_EQ(info.cpuRevision, "255.238.1.0--1");
  EXPECT_EQ(info.xtlVersion, "128.255.0-1--2147483648");
}

TEST(Identify, RejectsAnyVendorButTheExactText) {
  for (const char* vendor : {"CorvalithCpu", "corvalithCPU", "GenuineIntel", "CorvalithCP\0"}) {
    SCOPED_TRACE(vendor);
    FakeCpuid cpu = GoodProcessor();
    cpu.SetVendor(vendor);
    ProcessorInfo info;
    ProcessorState state;
    SetupOutcome outcome = IdentifyProcessor(cpu, info, state);
    EXPECT_EQ(outcome.kind, SetupOutcome::Kind::WrongVendor);
    EXPECT_EQ(outcome.kind, SetupOutcome::Kind::WrongVendor);
    EXPECT_TRUE(outcome.endsProcess);
    // Nothing else is looked at once the vendor is wrong.
    EXPECT_EQ(cpu.queried, std::vector<uint32_t>{LeafExtendedVendor});
    EXPECT_EQ(info.cpuId, "");
  }
}

TEST(Identify, VendorWordsAreReadInTheOrderEbxEdxEcx) {
  FakeCpuid cpu = GoodProcessor();
  std::swap(cpu.leaves[LeafExtendedVendor].ecx, cpu.leaves[LeafExtendedVendor].edx);
  ProcessorInfo info;
  ProcessorState state;
  EXPECT_EQ(IdentifyProcessor(cpu, info, state).kind, SetupOutcome::Kind::WrongVendor);
}

TEST(Identify, ModelTextAndVoltageTableFollowNibbleAndCacheSize) {
  struct Case {
    uint32_t revisionBytes;
    uint32_t l2;
    const char* type;
    const char* size;
    VoltageTable table;
  };
  const Case cases[] = {
      {0x010F0204, 512, "ZN2720", "512 KBytes", VoltageTable::A},  // nibble 0
      {0x01300204, 512, "ZN2730", "512 KBytes", VoltageTable::B},
      {0x01000204, 256, "ZN2710", "256 KBytes", VoltageTable::A},
      {0x00100000, 256, "ZN2715", "256 KBytes", VoltageTable::B},
      {0xFFF00000, 1024, "ZN2715", "1024 KBytes", VoltageTable::B},  // only 512 is the large row
      {0x00000000, 0, "ZN2710", "0 KBytes", VoltageTable::A},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    FakeCpuid cpu = GoodProcessor();
    cpu.leaves[LeafRevision].ebx = c.revisionBytes;
    cpu.leaves[LeafL2Cache].ecx = (c.l2 << 16) | 0xFFFF;
    ProcessorInfo info;
    ProcessorState state;
    IdentifyProcessor(cpu, info, state);
    EXPECT_EQ(info.cpuType, c.type);
    EXPECT_EQ(info.l2CacheSize, c.size);
    EXPECT_EQ(state.voltageTable, c.table);
  }
}

TEST(Identify, BrandChunksEndAtTheirFirstNul) {
  FakeCpuid cpu = GoodProcessor();
  cpu.SetBrandChunk(0, "Corvalith Zephri", 16);
  cpu.SetBrandChunk(1, "\0ignored text!!!", 16);  // NUL first: adds nothing
  cpu.SetBrandChunk(2, "n\0 also ignored", 16);   // ends after "n"
  ProcessorInfo info;
  ProcessorState state;
  IdentifyProcessor(cpu, info, state);
  EXPECT_EQ(info.cpuName, "Corvalith Zephrin");

  // Three full chunks without any NUL give all 48 bytes.
  cpu.SetBrandChunk(0, "0123456789abcdef", 16);
  cpu.SetBrandChunk(1, "ghijklmnopqrstuv", 16);
  cpu.SetBrandChunk(2, "wxyzABCDEFGHIJKL", 16);
  IdentifyProcessor(cpu, info, state);
  EXPECT_EQ(info.cpuName, "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKL");
}

TEST(Identify, MissingVaristepIsReportedButDoesNotEndTheProcess) {
  FakeCpuid cpu = GoodProcessor();
  cpu.leaves[LeafRevision].edx = StepRegistersFlag;
  ProcessorInfo info;
  ProcessorState state;
  SetupOutcome outcome = IdentifyProcessor(cpu, info, state);
  EXPECT_EQ(outcome.kind, SetupOutcome::Kind::VaristepAbsent);
  EXPECT_EQ(outcome.kind, SetupOutcome::Kind::VaristepAbsent);
  EXPECT_FALSE(outcome.endsProcess);
  EXPECT_FALSE(state.hasVaristep);
  EXPECT_EQ(info.cpuType, "ZN2730");  // the texts are gathered all the same
}

TEST(SerialNumber, DisabledBitSkipsCpuidLeaf3) {
  FakeCpuid cpu = GoodProcessor();
  RecordingRegisters regs;
  regs.replyLow = SerialDisabledBit | 0x1;
  ProcessorInfo info;
  EXPECT_TRUE(ReadSerialNumber(regs, cpu, info).IsOk());
  EXPECT_TRUE(info.serialDisabled);
  EXPECT_EQ(info.serialNumber, "");
  EXPECT_FALSE(cpu.Queried(LeafSerialNumber));
  ASSERT_EQ(regs.calls.size(), 1u);
  EXPECT_FALSE(regs.calls[0].write);
  EXPECT_EQ(regs.calls[0].msr, 0x119u);
  EXPECT_EQ(regs.calls[0].low, 256u);
  EXPECT_EQ(regs.calls[0].high, 256u);
}

TEST(SerialNumber, EnabledSerialIsThreeWordsOfLeaf3) {
  FakeCpuid cpu = GoodProcessor();
  RecordingRegisters regs;
  regs.replyLow = ~SerialDisabledBit;  // every other bit is irrelevant
  regs.replyHigh = 0xFFFFFFFF;
  ProcessorInfo info;
  EXPECT_TRUE(ReadSerialNumber(regs, cpu, info).IsOk());
  EXPECT_EQ(info.serialNumber, "0x000005431a2b3c4d5e6f7081");
  EXPECT_TRUE(cpu.Queried(LeafSerialNumber));
}

TEST(SerialNumber, RefusedReadEndsSetUp) {
  FakeCpuid cpu = GoodProcessor();
  RecordingRegisters regs;
  regs.refuse = true;
  ProcessorInfo info;
  ExpectRefused(ReadSerialNumber(regs, cpu, info));
  EXPECT_EQ(info.serialNumber, "");
  EXPECT_FALSE(cpu.Queried(LeafSerialNumber));
}

TEST(Policy, LowWordDecidesAndTheRequestCarries256And0) {
  RecordingRegisters regs;
  bool performance = false;
  regs.replyLow = 0x80000000;
  EXPECT_TRUE(ReadPolicy(regs, performance).IsOk());
  EXPECT_TRUE(performance);
  regs.replyLow = 0;
  regs.replyHigh = 1;
  EXPECT_TRUE(ReadPolicy(regs, performance).IsOk());
  EXPECT_FALSE(performance);
  ASSERT_EQ(regs.calls.size(), 2u);
  EXPECT_FALSE(regs.calls[0].write);
  EXPECT_EQ(regs.calls[0].msr, 0x80868011u);
  EXPECT_EQ(regs.calls[0].low, 256u);
  EXPECT_EQ(regs.calls[0].high, 0u);

  regs.refuse = true;
  performance = true;
  ExpectRefused(ReadPolicy(regs, performance));
  EXPECT_TRUE(performance);
}

}  // namespace
