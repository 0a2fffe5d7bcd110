#include <algorithm>

#include "processor/MsrRequest.h"
#include "processor/ProcessorStart.h"

namespace {

void Wait(SleepFn sleep, uint32_t ms) {
  if (sleep != nullptr) sleep(ms);
}

float Volts(uint32_t millivolts) {
  return static_cast<float>(static_cast<double>(millivolts) * 0.001);
}

// A zero divider has no quotient; show 0 rather than fault.
uint32_t Divide(int32_t mhz, uint32_t divider) {
  return divider == 0 ? 0 : static_cast<uint32_t>(mhz) / divider;
}

// The register reports the index of its last step; the table holds MaxSteps. A negative index
// means no steps at all.
int32_t ClampLastStep(uint32_t reported) {
  int32_t last = static_cast<int32_t>(reported);
  if (last < 0) return -1;
  return last < MaxSteps ? last : MaxSteps - 1;
}

bool ByRegisters(RegisterIo& io, StepTable& steps) {
  uint32_t low = 0, high = 0;
  if (!io.ReadRegister(MsrStepSelect, FillerWord, ZeroWord, low, high)) return false;
  steps.lastStep = ClampLastStep(high);
  for (int32_t i = 0; i <= steps.lastStep; ++i) {
    if (!io.WriteRegister(MsrStepSelect, static_cast<uint32_t>(i), ZeroWord)) return false;

    if (!io.ReadRegister(MsrStepLevel, FillerWord, ZeroWord, low, high)) return false;
    steps.level[i] = static_cast<int32_t>(low);

    if (!io.ReadRegister(MsrStepFrequencyVoltage, FillerWord, ZeroWord, low, high)) return false;
    steps.frequencyMHz[i] = static_cast<int32_t>(low);
    steps.voltage[i] = Volts(high);

    if (!io.ReadRegister(MsrStepDividers, FillerWord, ZeroWord, low, high)) return false;
    steps.cdDivider[i] = high;
    steps.cdFrequencyMHz[i] = Divide(steps.frequencyMHz[i], high);
    steps.sdDivider[i] = low;
    steps.sdFrequencyMHz[i] = Divide(steps.frequencyMHz[i], low);
  }
  return true;
}

// Writes the window back word for word as it was found.
bool RestoreWindow(RegisterIo& io, const StepTable& steps) {
  return io.WriteRegister(MsrScalingWindow, static_cast<uint32_t>(steps.initialLowerLevel),
                          static_cast<uint32_t>(steps.initialUpperLevel));
}

bool SweepSteps(RegisterIo& io, CpuidSource& cpuid, const PciSource* pci, SleepFn sleep,
                OsKind osKind, StepTable& steps) {
  int32_t count = 0;
  uint32_t lastLevel = 0;
  // Pin the window to every level from the top down; each level that moves the processor to a
  // new step records that step. All 101 writes go out even once the table is full, so the
  // processor sees the same sequence whatever it reports.
  for (int level = 100; level >= 0; --level) {
    uint32_t pinned = static_cast<uint32_t>(level);
    if (!io.WriteRegister(MsrScalingWindow, pinned, pinned)) return false;
    CpuidResult now = cpuid.Query(LeafCurrentState);
    if (count > 0 && now.ecx == lastLevel) continue;
    lastLevel = now.ecx;
    if (count >= MaxSteps) continue;
    steps.frequencyMHz[count] = static_cast<int32_t>(now.eax);
    steps.voltage[count] = Volts(now.ebx);
    steps.level[count] = static_cast<int32_t>(now.ecx);
    ++count;
  }
  steps.lastStep = count - 1;

  for (int32_t i = 0; i <= steps.lastStep; ++i) {
    uint32_t pinned = static_cast<uint32_t>(steps.level[i]);
    if (!io.WriteRegister(MsrScalingWindow, pinned, pinned)) return false;
    Wait(sleep, SweepSettleMs);
    // Port I/O to PCI space is only allowed on the 9x family; elsewhere the dividers stay 0.
    if (osKind == OsKind::Windows9x && pci != nullptr) {
      uint32_t dword = pci->ReadConfigDword(PciDividerAddress);
      steps.cdDivider[i] = (dword >> 20) & 0xF;
      steps.cdFrequencyMHz[i] = Divide(steps.frequencyMHz[i], steps.cdDivider[i]);
      steps.sdDivider[i] = (dword >> 16) & 0xF;
      steps.sdFrequencyMHz[i] = Divide(steps.frequencyMHz[i], steps.sdDivider[i]);
    }
  }
  return true;
}

bool BySweep(RegisterIo& io, CpuidSource& cpuid, const PciSource* pci, SleepFn sleep, OsKind osKind,
             StepTable& steps) {
  if (!SweepSteps(io, cpuid, pci, sleep, osKind, steps)) {
    // Stopped midway, the processor stays pinned at the level written last after the process has
    // ended: give the window back. Nothing more can be done if this is refused too.
    RestoreWindow(io, steps);
    return false;
  }
  Wait(sleep, SweepSettleMs);
  // A refused write-back is not sent again: no request is ever repeated.
  return RestoreWindow(io, steps);
}

// The steps the window was found on; a bound that matches no step falls back to the outermost
// step on its side. Where two steps share a level, the lower one counts.
void FindInitialSteps(StepTable& steps) {
  int32_t upper = -1, lower = -1;
  for (int32_t i = 0; i < steps.StepCount(); ++i) {
    if (steps.level[i] == steps.initialUpperLevel) upper = i;
    if (steps.level[i] == steps.initialLowerLevel) lower = i;
  }
  steps.maxStep = steps.initialMaxStep = upper >= 0 ? upper : 0;
  steps.minStep = steps.initialMinStep = lower >= 0 ? lower : std::max(steps.lastStep, 0);
}

void ComputeBitmaps(const StepTable& steps, ProcessorState& state, ProcessorInfo& info) {
  const float* voltages = VoltageTableEntries(state.voltageTable);
  state.frequencyBits = 0;
  state.voltageBits = 0;
  for (int i = 0; i < steps.StepCount(); ++i) {
    for (int j = 0; j < TableSize; ++j) {
      // Set, not added: two steps on one table entry must not carry into the next bit.
      if (steps.frequencyMHz[i] == frequencyTable[j]) state.frequencyBits |= 1u << j;
      if (steps.voltage[i] == voltages[j]) state.voltageBits |= 1u << j;
    }
  }
  info.frequencyBitmap = HexWord(state.frequencyBits);
  info.voltageBitmap = HexWord(state.voltageBits);
}

}  // namespace

SetupOutcome BuildStepTable(RegisterIo& io, CpuidSource& cpuid, const PciSource* pci, SleepFn sleep,
                            ProcessorState& state, StepTable& steps, ProcessorInfo& info) {
  steps = StepTable{};
  uint32_t low = 0, high = 0;
  if (!io.ReadRegister(MsrScalingWindow, FillerWord, FillerWord, low, high)) {
    return RequestRefusedOutcome();
  }
  steps.initialUpperLevel = static_cast<int32_t>(high);
  steps.initialLowerLevel = static_cast<int32_t>(low);

  state.hasStepRegisters = (cpuid.Query(LeafRevision).edx & StepRegistersFlag) != 0;
  bool built = state.hasStepRegisters ? ByRegisters(io, steps)
                                      : BySweep(io, cpuid, pci, sleep, state.osKind, steps);
  if (!built) {
    // The process ends on this outcome; leave no half-built table behind regardless.
    steps = StepTable{};
    return RequestRefusedOutcome();
  }
  FindInitialSteps(steps);
  ComputeBitmaps(steps, state, info);
  return OkOutcome();
}
