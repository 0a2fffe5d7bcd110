// The processor and driver steps of the monitor window's set-up, each returning what happened
// instead of showing a box or ending the process: the window layer does both.
#pragma once

#include <cstdint>

#include "processor/Cpuid.h"
#include "processor/DriverLink.h"
#include "processor/DriverPath.h"
#include "processor/PciSource.h"
#include "processor/ProcessorInfo.h"
#include "processor/ProcessorState.h"
#include "processor/RegisterIo.h"
#include "processor/StepTable.h"

// Which failure happened; the window layer has the words for each.
struct SetupOutcome {
  enum class Kind {
    Ok,
    WrongVendor,
    VaristepAbsent,
    OpenNotSupported,  // the device answered error 50: it does not take control requests
    OpenFailed,        // any other open error, in openError
    RequestRefused,
  };

  Kind kind = Kind::Ok;
  uint32_t openError = 0;
  // True for every failure but VaristepAbsent: the window layer then exits with status 1.
  bool endsProcess = false;

  bool IsOk() const { return kind == Kind::Ok; }
};

// The waits of the sweep; null means do not wait.
using SleepFn = void (*)(uint32_t ms);

constexpr uint32_t SweepSettleMs = 50;

constexpr uint32_t ErrorNotSupported = 50;

// A register word as "0x" and eight hex digits.
ShortText HexWord(uint32_t word);

SetupOutcome OkOutcome();
SetupOutcome RequestRefusedOutcome();

// Vendor check, identification texts (all but serialNumber and the bitmaps), model, voltage
// table and feature flags.
SetupOutcome IdentifyProcessor(CpuidSource& cpuid, ProcessorInfo& info, ProcessorState& state);

SetupOutcome OpenDriver(DriverLink& driver, const DriverPath& path);

SetupOutcome ReadSerialNumber(RegisterIo& io, CpuidSource& cpuid, ProcessorInfo& info);

// Start levels, the steps by register or by sweep, then the two bitmaps. pci is only read when
// osKind is 0; null means no PCI access (dividers 0). On a refused request the table is left
// empty.
SetupOutcome BuildStepTable(RegisterIo& io, CpuidSource& cpuid, const PciSource* pci, SleepFn sleep,
                            ProcessorState& state, StepTable& steps, ProcessorInfo& info);

SetupOutcome ReadPolicy(RegisterIo& io, bool& performance);
