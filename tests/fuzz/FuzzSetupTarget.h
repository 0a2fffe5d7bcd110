// The fuzz target over identification and both step-table methods: a simulated processor whose
// CPUID and register answers the input may pass, refuse or replace.
#pragma once

#include "FuzzBytes.h"
#include "processor/MsrRequest.h"
#include "processor/ProcessorStart.h"
#include "sim/SimProcessor.h"

namespace fuzz {

// A simulated processor whose answers the input may replace: each CPUID query and each register
// request first takes a control byte that passes the real answer through, refuses the request,
// or substitutes words from the input.
class TamperedProcessor : public CpuidSource, public RegisterIo, public PciSource {
 public:
  TamperedProcessor(sim::SimProcessor& inner, Bytes& in) : inner_(inner), in_(in) {}

  CpuidResult Query(uint32_t leaf) override {
    CpuidResult r = inner_.Query(leaf);
    uint8_t control = in_.Byte();
    if (control >= 0xC0) {
      r = CpuidResult{in_.Word(), in_.Word(), in_.Word(), in_.Word()};
    } else if (control >= 0xA0) {
      r.eax ^= in_.Word();
      r.edx ^= in_.Word();
    }
    return r;
  }

  bool ReadRegister(uint32_t msr, uint32_t, uint32_t, uint32_t& low, uint32_t& high) override {
    ++requests;
    uint8_t control = in_.Byte();
    if (control >= 0xE0 && control < 0xF0) return false;
    if (control >= 0xF0) {
      low = in_.Word();
      high = in_.Word();
      return true;
    }
    return inner_.ReadMsr(msr, low, high);
  }

  bool WriteRegister(uint32_t msr, uint32_t low, uint32_t high) override {
    ++requests;
    if (msr == MsrStepSelect && low >= static_cast<uint32_t>(MaxSteps)) selectOutOfRange = true;
    uint8_t control = in_.Byte();
    if (control >= 0xE0) return false;
    inner_.WriteMsr(msr, low, high);
    return true;
  }

  uint32_t ReadConfigDword(uint32_t) const override { return pciWord; }

  int requests = 0;
  bool selectOutOfRange = false;
  uint32_t pciWord = 0;

 private:
  sim::SimProcessor& inner_;
  Bytes& in_;
};

inline const char* CheckStepTable(const StepTable& t, const SetupOutcome& outcome) {
  if (t.lastStep < -1 || t.lastStep > MaxSteps - 1) return "lastStep outside the arrays";
  if (!outcome.IsOk()) {
    if (!outcome.endsProcess) return "a refused request did not end set-up";
    if (t.lastStep != -1) return "a refused request left steps behind";
    return nullptr;
  }
  int top = t.lastStep > 0 ? t.lastStep : 0;
  for (int32_t index : {t.maxStep, t.minStep, t.initialMaxStep, t.initialMinStep}) {
    if (index < 0 || index > top) return "a limit step index outside the table";
  }
  for (int i = 0; i < t.StepCount(); ++i) {
    uint32_t mhz = static_cast<uint32_t>(t.frequencyMHz[i]);
    if (t.cdFrequencyMHz[i] != (t.cdDivider[i] == 0 ? 0 : mhz / t.cdDivider[i])) {
      return "CD frequency is not MHz / divider";
    }
    if (t.sdFrequencyMHz[i] != (t.sdDivider[i] == 0 ? 0 : mhz / t.sdDivider[i])) {
      return "SD frequency is not MHz / divider";
    }
  }
  for (int i = t.StepCount(); i < MaxSteps; ++i) {
    if (t.frequencyMHz[i] != 0 || t.level[i] != 0) return "a step past lastStep was written";
  }
  return nullptr;
}

inline const char* FuzzProcessorSetup(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  constexpr int Profiles = 8;
  sim::SimProcessor processor(static_cast<sim::Profile>(in.Below(Profiles)));
  TamperedProcessor cpu(processor, in);
  ProcessorState state;
  state.osKind = static_cast<OsKind>(in.Below(4));
  cpu.pciWord = in.Word();
  const PciSource* pci = (in.Byte() & 1) != 0 ? &cpu : nullptr;
  ProcessorInfo info;

  SetupOutcome outcome = IdentifyProcessor(cpu, info, state);
  if (info.cpuName.size() > 48) return "brand name longer than its 48 bytes";
  if (outcome.kind == SetupOutcome::Kind::WrongVendor) {
    return outcome.endsProcess ? nullptr : "a wrong vendor did not end set-up";
  }
  if (info.cpuType.size() != 6) return "CPU type is not six characters";
  if (info.cpuId.size() != 10) return "CPU id is not ten characters";
  if (outcome.kind == SetupOutcome::Kind::VaristepAbsent) {
    return outcome.endsProcess ? "a missing feature ended set-up" : nullptr;
  }
  if (!outcome.IsOk()) return "identification failed in an unexpected way";

  outcome = ReadSerialNumber(cpu, cpu, info);
  if (!outcome.IsOk()) {
    return outcome.kind == SetupOutcome::Kind::RequestRefused && outcome.endsProcess
               ? nullptr
               : "serial number failure is not a refused request";
  }
  if (info.serialDisabled ? !info.serialNumber.empty() : info.serialNumber.size() != 26) {
    return "serial number text of the wrong length";
  }

  StepTable steps;
  int before = cpu.requests;
  outcome = BuildStepTable(cpu, cpu, pci, nullptr, state, steps, info);
  int made = cpu.requests - before;
  if (const char* broken = CheckStepTable(steps, outcome)) return broken;
  if (cpu.selectOutOfRange) return "a step select past the table";
  // A refused sweep adds the write-back of the window found at start.
  int most =
      state.hasStepRegisters ? 2 + 4 * MaxSteps : 1 + 101 + MaxSteps + 1 + (outcome.IsOk() ? 0 : 1);
  if (made > most) return "more requests than the method needs";
  if (outcome.IsOk() && (info.frequencyBitmap.size() != 10 || info.voltageBitmap.size() != 10)) {
    return "a bitmap text of the wrong length";
  }
  if (!outcome.IsOk()) return nullptr;

  bool performance = false;
  outcome = ReadPolicy(cpu, performance);
  if (!outcome.IsOk() && !outcome.endsProcess) return "a refused policy read did not end set-up";
  return nullptr;
}

}  // namespace fuzz
