// Seeded random processors and drivers through identification, the serial number and both
// step-table methods: whatever the hardware answers, the table stays within its arrays and the
// outcome is consistent with what happened.
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "processor/MsrRequest.h"
#include "processor/ProcessorStart.h"

namespace {

class RandomProcessor : public RegisterIo, public CpuidSource, public PciSource {
 public:
  explicit RandomProcessor(std::mt19937& rng) : rng_(rng) {
    failOneIn_ = Pick({0u, 0u, 40u, 400u});
    goodVendor_ = Chance(9, 10);
    stepRegisters_ = Chance(1, 2);
    levelSpread_ = Pick({1u, 3u, 12u, 101u, 0u});
  }

  bool ReadRegister(uint32_t msr, uint32_t lowFiller, uint32_t highFiller, uint32_t& low,
                    uint32_t& high) override {
    ++requests;
    EXPECT_EQ(lowFiller, 256u);
    EXPECT_TRUE(highFiller == 256u || highFiller == 0u);
    if (Fails()) return false;
    low = Word();
    high = Word();
    switch (msr) {
      case MsrStepSelect:
        high = Pick({Below(16), Word(), 0xFFFFFFFFu, 0x80000000u, 9u, 10u, 0u});
        break;
      case MsrStepLevel:
        low = Level();
        break;
      case MsrStepFrequencyVoltage:
        low = Chance(1, 2) ? static_cast<uint32_t>(frequencyTable[Below(TableSize)]) : Word();
        high = Chance(1, 2) ? 600 + 25 * Below(60) : Word();
        break;
      case MsrStepDividers:
        low = Chance(1, 3) ? 0 : Pick({Below(16), Word()});
        high = Chance(1, 3) ? 0 : Pick({Below(16), Word()});
        break;
      case MsrScalingWindow:
        low = Level();
        high = Level();
        break;
      default:
        break;
    }
    return true;
  }

  bool WriteRegister(uint32_t msr, uint32_t low, uint32_t high) override {
    ++requests;
    if (msr == MsrStepSelect) {
      EXPECT_LT(low, static_cast<uint32_t>(MaxSteps));
      EXPECT_EQ(high, 0u);
      ++selectWrites;
    } else {
      EXPECT_EQ(msr, MsrScalingWindow);
    }
    return !Fails();
  }

  CpuidResult Query(uint32_t leaf) override {
    CpuidResult r{Word(), Word(), Word(), Word()};
    if (leaf == LeafExtendedVendor && goodVendor_) {
      std::memcpy(&r.ebx, "Corv", 4);
      std::memcpy(&r.edx, "alit", 4);
      std::memcpy(&r.ecx, "hCPU", 4);
    } else if (leaf == LeafRevision) {
      r.edx = (r.edx & ~(VaristepFlag | StepRegistersFlag)) | VaristepFlag |
              (stepRegisters_ ? StepRegistersFlag : 0);
      if (Chance(1, 50)) r.edx &= ~VaristepFlag;
    } else if (leaf == LeafCurrentState) {
      r.ecx = Level();
      if (Chance(1, 2)) r.eax = static_cast<uint32_t>(frequencyTable[Below(TableSize)]);
    } else if (leaf >= LeafBrandFirst && leaf <= LeafBrandLast && Chance(1, 4)) {
      r.eax &= 0xFFFFFF00;  // NUL-first chunk
    }
    return r;
  }

  uint32_t ReadConfigDword(uint32_t address) const override {
    EXPECT_EQ(address, PciDividerAddress);
    return pciWord;
  }

  int requests = 0;
  int selectWrites = 0;
  uint32_t pciWord = 0;

 private:
  uint32_t Word() { return static_cast<uint32_t>(rng_()); }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
  bool Chance(uint32_t k, uint32_t n) { return Below(n) < k; }
  uint32_t Pick(std::initializer_list<uint32_t> values) {
    return *(values.begin() + Below(static_cast<uint32_t>(values.size())));
  }
  bool Fails() { return failOneIn_ != 0 && Below(failOneIn_) == 0; }
  // Levels drawn from few values repeat often; levelSpread_ 0 means any word.
  uint32_t Level() { return levelSpread_ == 0 ? Word() : 100 - Below(levelSpread_); }

  std::mt19937& rng_;
  uint32_t failOneIn_;
  bool goodVendor_;
  bool stepRegisters_;
  uint32_t levelSpread_;
};

void CheckTable(const StepTable& t, const ProcessorState& state, const SetupOutcome& outcome) {
  ASSERT_GE(t.lastStep, -1);
  ASSERT_LE(t.lastStep, MaxSteps - 1);
  if (outcome.kind == SetupOutcome::Kind::RequestRefused) {
    EXPECT_TRUE(outcome.endsProcess);
    EXPECT_EQ(t.lastStep, -1);
    return;
  }
  ASSERT_TRUE(outcome.IsOk());
  int top = t.lastStep > 0 ? t.lastStep : 0;
  for (int32_t index : {t.maxStep, t.minStep, t.initialMaxStep, t.initialMinStep}) {
    ASSERT_GE(index, 0);
    ASSERT_LE(index, top);
  }
  EXPECT_EQ(t.maxStep, t.initialMaxStep);
  EXPECT_EQ(t.minStep, t.initialMinStep);
  uint32_t frequencyBits = 0;
  for (int i = 0; i < t.StepCount(); ++i) {
    uint32_t mhz = static_cast<uint32_t>(t.frequencyMHz[i]);
    EXPECT_EQ(t.cdFrequencyMHz[i], t.cdDivider[i] == 0 ? 0 : mhz / t.cdDivider[i]);
    EXPECT_EQ(t.sdFrequencyMHz[i], t.sdDivider[i] == 0 ? 0 : mhz / t.sdDivider[i]);
    for (int j = 0; j < TableSize; ++j) {
      if (t.frequencyMHz[i] == frequencyTable[j]) frequencyBits |= 1u << j;
    }
  }
  EXPECT_EQ(state.frequencyBits, frequencyBits);
  for (int i = t.StepCount(); i < MaxSteps; ++i) {
    EXPECT_EQ(t.frequencyMHz[i], 0);
    EXPECT_EQ(t.level[i], 0);
  }
}

TEST(FuzzProcessor, RandomHardwareNeverBreaksTheTable) {
  std::mt19937 rng(20240611u);
  // VS_FUZZ_CASES raises the count for the long run (scripts/fuzz); the default stays short.
  const char* knob = std::getenv("VS_FUZZ_CASES");
  const int cases = knob != nullptr && std::atoi(knob) > 0 ? std::atoi(knob) : 100000;
  int built = 0, swept = 0, refused = 0;
  for (int n = 0; n < cases; ++n) {
    SCOPED_TRACE(n);
    RandomProcessor cpu(rng);
    ProcessorInfo info;
    ProcessorState state;
    state.osKind = static_cast<OsKind>(rng() % 4);
    cpu.pciWord = static_cast<uint32_t>(rng());
    const PciSource* pci = rng() % 3 == 0 ? nullptr : &cpu;

    SetupOutcome outcome = IdentifyProcessor(cpu, info, state);
    EXPECT_LE(info.cpuName.size(), 48u);
    if (outcome.kind == SetupOutcome::Kind::WrongVendor) {
      EXPECT_TRUE(outcome.endsProcess);
      continue;
    }
    EXPECT_EQ(info.cpuType.size(), 6u);
    EXPECT_EQ(info.cpuId.size(), 10u);
    if (outcome.kind == SetupOutcome::Kind::VaristepAbsent) {
      EXPECT_FALSE(outcome.endsProcess);
      continue;
    }
    ASSERT_TRUE(outcome.IsOk());

    outcome = ReadSerialNumber(cpu, cpu, info);
    if (!outcome.IsOk()) {
      EXPECT_EQ(outcome.kind, SetupOutcome::Kind::RequestRefused);
      continue;
    }
    EXPECT_TRUE(info.serialDisabled ? info.serialNumber.empty() : info.serialNumber.size() == 26u);

    StepTable steps;
    steps.lastStep = 55;
    int before = cpu.requests;
    outcome = BuildStepTable(cpu, cpu, pci, nullptr, state, steps, info);
    int made = cpu.requests - before;
    CheckTable(steps, state, outcome);
    if (state.hasStepRegisters) {
      EXPECT_LE(made, 2 + 4 * MaxSteps);
      if (outcome.IsOk()) {
        EXPECT_EQ(cpu.selectWrites, steps.StepCount());
      }
    } else {
      // A refused request adds the write-back of the window found at start.
      EXPECT_LE(made, 1 + 101 + MaxSteps + 1 + (outcome.IsOk() ? 0 : 1));
      if (outcome.IsOk()) {
        EXPECT_EQ(made, 1 + 101 + steps.StepCount() + 1);
      }
      swept += outcome.IsOk() ? 1 : 0;
    }
    if (outcome.IsOk()) {
      ++built;
      EXPECT_EQ(info.frequencyBitmap.size(), 10u);
      EXPECT_EQ(info.voltageBitmap.size(), 10u);
    } else {
      ++refused;
    }
    if (HasFailure()) break;  // one reported case is enough
  }
  // The generator must reach every road, not just the first failure.
  EXPECT_GT(built, cases / 2);
  EXPECT_GT(swept, cases / 5);
  EXPECT_GT(refused, cases / 100);
}

}  // namespace
