// The processor and driver steps of the monitor window's set-up, each returning what happened
// instead of showing a box or ending the process: the window layer does both.
#pragma once

#include <cstdint>
#include <string>

#include "processor/Cpuid.h"
#include "processor/DriverLink.h"
#include "processor/DriverPath.h"
#include "processor/PciSource.h"
#include "processor/ProcessorInfo.h"
#include "processor/ProcessorState.h"
#include "processor/RegisterIo.h"
#include "processor/StepTable.h"

struct SetupOutcome {
  enum class Kind { Ok, WrongVendor, VaristepAbsent, OpenFailed, RequestRefused };

  Kind kind = Kind::Ok;
  std::string message;
  // Empty: an application message box, captioned with the application name. Otherwise a box
  // owned by the monitor window with this caption.
  std::string caption;
  // True for every failure but VaristepAbsent: the window layer then exits with status 1.
  bool endsProcess = false;

  bool IsOk() const { return kind == Kind::Ok; }
};

// The waits of the sweep; null means do not wait.
using SleepFn = void (*)(uint32_t ms);

constexpr uint32_t SweepSettleMs = 50;

// Texts of the set-up failures.
extern const char* const WrongVendorText;
extern const char* const WrongVendorCaption;
extern const char* const VaristepAbsentText;
extern const char* const VaristepAbsentCaption;
extern const char* const OpenNotSupportedText;
extern const char* const RequestRefusedText;
extern const char* const RequestRefusedCaption;

constexpr uint32_t ErrorNotSupported = 50;

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
