#include "sim/SimProcessor.h"

#include <algorithm>

#include "processor/MsrRequest.h"

namespace sim {

namespace {

// Little-endian packing of text into register words, as CPUID returns strings.
uint32_t TextWord(const ShortText& text, size_t offset) {
  uint32_t word = 0;
  const size_t size = text.size();
  for (size_t i = 0; i < 4; ++i) {
    size_t at = offset + i;
    uint32_t byte = at < size ? static_cast<unsigned char>(text.c_str()[at]) : 0u;
    word |= byte << (8 * i);
  }
  return word;
}

SimSteps TenSteps() {
  // Frequencies from the family's frequency table, voltages from table B.
  return {
      {100, 1000, 1600, 7, 10}, {89, 933, 1550, 7, 9}, {78, 866, 1500, 6, 9}, {67, 800, 1450, 6, 8},
      {56, 733, 1400, 5, 7},    {44, 667, 1300, 5, 7}, {33, 600, 1200, 4, 6}, {22, 533, 1100, 4, 5},
      {11, 466, 1050, 3, 5},    {0, 400, 975, 3, 4},
  };
}

SimSteps FourteenSteps() {
  const int32_t mhz[14] = {1100, 1066, 1033, 1000, 966, 933, 900,
                           866,  833,  800,  766,  733, 700, 667};
  SimSteps steps;
  for (int i = 0; i < 14; ++i) {
    int32_t level = 100 - (i * 100 + 6) / 13;
    uint32_t mv = 1750u - 50u * static_cast<uint32_t>(i);
    steps.push_back(SimStep{level, mhz[i], mv, 8, 11});
  }
  return steps;
}

}  // namespace

SimConfig ProfileConfig(Profile profile) {
  SimConfig c;
  c.vendor = "CorvalithCPU";
  c.brand = "Corvalith Zephrin(tm) Processor 1000MHz";
  c.signature = 0x00000543;
  c.revisionBytes = 0x01300204;  // model nibble 3
  c.revisionBuild = 7;
  c.xtlBytes = 0x04020100;
  c.xtlBuild = 20010424;
  c.l2Kbytes = 512;
  c.serial[0] = 0x00000543;
  c.serial[1] = 0x1A2B3C4D;
  c.serial[2] = 0x5E6F7081;
  c.steps = TenSteps();
  c.reportedLastStep = 9;

  switch (profile) {
    case Profile::Default:
      break;
    case Profile::SweepOnly:
      c.stepRegisters = false;
      break;
    case Profile::VaristepAbsent:
      c.varistep = false;
      break;
    case Profile::WrongVendor:
      c.vendor = "GenuineIntel";
      break;
    case Profile::PsnDisabled:
      c.serialDisabled = true;
      break;
    case Profile::SmallCache:
      c.l2Kbytes = 256;
      c.revisionBytes = 0x01000204;  // model nibble 0
      break;
    case Profile::OneStep:
      c.steps = {{0, 600, 1200, 4, 6}};
      c.reportedLastStep = 0;
      break;
    case Profile::TooManySteps:
      c.steps = FourteenSteps();
      c.reportedLastStep = 13;
      break;
  }
  return c;
}

SimProcessor::SimProcessor(Profile profile) : SimProcessor(ProfileConfig(profile)) {}

SimProcessor::SimProcessor(const SimConfig& config) : config_(config) {
  // A processor has at least one step; keep the dynamics' indexes valid whatever the test built.
  if (config_.steps.empty()) config_.steps.push_back(SimStep{0, 200, 1000, 1, 1});
  windowLow_ = config_.windowLower;
  windowHigh_ = config_.windowUpper;
  policyLow_ = config_.performance ? 1u : 0u;
  current_ = TopIndex();
}

CpuidResult SimProcessor::Query(uint32_t leaf) {
  const SimConfig& c = config_;
  switch (leaf) {
    case 0:
      return {3, TextWord(c.vendor, 0), TextWord(c.vendor, 8), TextWord(c.vendor, 4)};
    case LeafSignature:
      return {c.signature, 0, 0, 0};
    case LeafSerialNumber:
      return {0, c.serial[0], c.serial[1], c.serial[2]};
    case LeafExtendedVendor:
      return {LeafL2Cache, TextWord(c.vendor, 0), TextWord(c.vendor, 8), TextWord(c.vendor, 4)};
    case LeafBrandFirst:
    case LeafBrandFirst + 1:
    case LeafBrandLast: {
      size_t base = (leaf - LeafBrandFirst) * 16;
      return {TextWord(c.brand, base), TextWord(c.brand, base + 4), TextWord(c.brand, base + 8),
              TextWord(c.brand, base + 12)};
    }
    case LeafL2Cache:
      return {0, 0, (c.l2Kbytes << 16) | 0x4080u, 0};
    case 0x80860000:
      return {LeafCurrentState, TextWord(c.vendor, 0), TextWord(c.vendor, 8),
              TextWord(c.vendor, 4)};
    case LeafRevision: {
      uint32_t flags =
          (c.varistep ? VaristepFlag : 0u) | (c.stepRegisters ? StepRegistersFlag : 0u);
      return {c.signature, c.revisionBytes, c.revisionBuild, flags};
    }
    case LeafXtlVersion:
      return {0, c.xtlBytes, c.xtlBuild, 0};
    case LeafCurrentState: {
      const SimStep& s = Current();
      return {static_cast<uint32_t>(s.mhz), s.millivolts, static_cast<uint32_t>(s.level), 0};
    }
    default:
      return {0, 0, 0, 0};
  }
}

bool SimProcessor::ReadMsr(uint32_t msr, uint32_t& low, uint32_t& high) const {
  const SimConfig& c = config_;
  bool stepOk = c.stepRegisters && selected_ < c.steps.size();
  const SimStep* step = stepOk ? &c.steps[selected_] : nullptr;
  switch (msr) {
    case MsrSerialControl:
      low = c.serialDisabled ? SerialDisabledBit : 0u;
      high = 0;
      return true;
    case MsrScalingWindow:
      low = windowLow_;
      high = windowHigh_;
      return true;
    case MsrScalingPolicy:
      low = policyLow_;
      high = policyHigh_;
      return true;
    case MsrStepSelect:
      if (!c.stepRegisters) return false;
      low = selected_;
      high = c.reportedLastStep;
      return true;
    case MsrStepLevel:
      if (step == nullptr) return false;
      low = static_cast<uint32_t>(step->level);
      high = 0;
      return true;
    case MsrStepFrequencyVoltage:
      if (step == nullptr) return false;
      low = static_cast<uint32_t>(step->mhz);
      high = step->millivolts;
      return true;
    case MsrStepDividers:
      if (step == nullptr) return false;
      low = step->sdDivider;
      high = step->cdDivider;
      return true;
    default:
      return false;
  }
}

bool SimProcessor::WriteMsr(uint32_t msr, uint32_t low, uint32_t high) {
  switch (msr) {
    case MsrScalingWindow:
      windowLow_ = low;
      windowHigh_ = high;
      ClampIntoWindow();
      return true;
    case MsrScalingPolicy:
      policyLow_ = low;
      policyHigh_ = high;
      return true;
    case MsrStepSelect:
      if (!config_.stepRegisters) return false;
      selected_ = low;
      return true;
    default:
      return false;
  }
}

void SimProcessor::SetLoad(int percent) {
  load_ = std::clamp(percent, 0, 100);
}

void SimProcessor::SetClock(uint64_t ms) {
  uint64_t period = config_.periodMs == 0 ? 1 : config_.periodMs;
  // Time never runs backwards here; an earlier clock just moves the reference.
  if (ms > clockMs_) {
    uint64_t decisions = ms / period - clockMs_ / period;
    // After a long gap (a suspend) the state has long settled: a few decisions reach it.
    uint64_t settle = 2 * config_.steps.size() + 2;
    if (decisions > settle) decisions = settle;
    for (uint64_t i = 0; i < decisions; ++i) Decide();
  }
  clockMs_ = ms;
}

int SimProcessor::TopIndex() const {
  uint32_t upper = std::min<uint32_t>(windowHigh_, 100);
  const SimSteps& steps = config_.steps;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].level <= static_cast<int32_t>(upper)) return static_cast<int>(i);
  }
  return static_cast<int>(steps.size()) - 1;
}

int SimProcessor::BottomIndex() const {
  uint32_t lower = std::min<uint32_t>(windowLow_, 100);
  const SimSteps& steps = config_.steps;
  int bottom = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].level >= static_cast<int32_t>(lower)) bottom = static_cast<int>(i);
  }
  // A window narrower than the gap between two steps (or inverted) holds the top step only.
  return std::max(bottom, TopIndex());
}

void SimProcessor::ClampIntoWindow() {
  current_ = std::clamp(current_, TopIndex(), BottomIndex());
}

void SimProcessor::Decide() {
  bool busy = load_ > config_.busyThreshold;
  if (Performance()) {
    current_ = busy ? TopIndex() : BottomIndex();
  } else {
    // Economy climbs one step per period while busy and drops straight back when idle.
    current_ = busy ? current_ - 1 : BottomIndex();
  }
  ClampIntoWindow();
}

}  // namespace sim
