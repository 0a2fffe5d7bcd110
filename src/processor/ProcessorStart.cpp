#include "processor/ProcessorStart.h"

#include "base/FormatText.h"

#include <cstring>

namespace {

SetupOutcome Failure(SetupOutcome::Kind kind, bool endsProcess) {
  SetupOutcome outcome;
  outcome.kind = kind;
  outcome.endsProcess = endsProcess;
  return outcome;
}

// The words of a register, low byte first, as the processor stores them.
void AppendBytes(uint32_t word, unsigned char* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(word >> (8 * i));
}

int Byte(uint32_t word, int shift) {
  return static_cast<int>((word >> shift) & 0xFF);
}

// "%ld" on the 32-bit target prints the word as a signed 32-bit number; keep that on any host.
long SignedWord(uint32_t word) {
  return static_cast<long>(static_cast<int32_t>(word));
}

// The four bytes of a version word, high first, and its build number: "a.b.c.d-build" for the
// revision, "a.b.c-d-build" for the XTL version.
ShortText VersionText(bool revision, uint32_t bytes, uint32_t build) {
  char text[64];
  if (revision) {
    FormatText(text, sizeof text, "%d.%d.%d.%d-%ld", Byte(bytes, 24), Byte(bytes, 16),
               Byte(bytes, 8), Byte(bytes, 0), SignedWord(build));
  } else {
    FormatText(text, sizeof text, "%d.%d.%d-%d-%ld", Byte(bytes, 24), Byte(bytes, 16),
               Byte(bytes, 8), Byte(bytes, 0), SignedWord(build));
  }
  return text;
}

}  // namespace

ShortText HexWord(uint32_t word) {
  char text[16];
  FormatText(text, sizeof text, "0x%08lx", static_cast<unsigned long>(word));
  return text;
}

SetupOutcome OkOutcome() {
  return SetupOutcome{};
}

SetupOutcome RequestRefusedOutcome() {
  return Failure(SetupOutcome::Kind::RequestRefused, true);
}

SetupOutcome IdentifyProcessor(CpuidSource& cpuid, ProcessorInfo& info, ProcessorState& state) {
  CpuidResult vendor = cpuid.Query(LeafExtendedVendor);
  unsigned char vendorText[12];
  AppendBytes(vendor.ebx, vendorText);
  AppendBytes(vendor.edx, vendorText + 4);
  AppendBytes(vendor.ecx, vendorText + 8);
  if (std::memcmp(vendorText, "CorvalithCPU", sizeof vendorText) != 0) {
    return Failure(SetupOutcome::Kind::WrongVendor, true);
  }

  info.cpuId = HexWord(cpuid.Query(LeafSignature).eax);

  CpuidResult revision = cpuid.Query(LeafRevision);
  info.cpuRevision = VersionText(true, revision.ebx, revision.ecx);

  info.cpuName.clear();
  for (uint32_t leaf = LeafBrandFirst; leaf <= LeafBrandLast; ++leaf) {
    CpuidResult chunk = cpuid.Query(leaf);
    unsigned char bytes[17] = {};
    AppendBytes(chunk.eax, bytes);
    AppendBytes(chunk.ebx, bytes + 4);
    AppendBytes(chunk.ecx, bytes + 8);
    AppendBytes(chunk.edx, bytes + 12);
    // A NUL inside the chunk ends its contribution; bytes[16] is the terminator.
    info.cpuName += reinterpret_cast<const char*>(bytes);
  }

  uint32_t l2Kbytes = cpuid.Query(LeafL2Cache).ecx >> 16;
  uint32_t modelNibble = (revision.ebx >> 20) & 0xF;
  const ModelName& model = modelNameTable[modelNibble == 0 ? 0 : 1];
  state.voltageTable = model.voltageTable;
  char text[32];
  FormatText(text, sizeof text, "ZN%s", l2Kbytes == 512 ? model.largeCache : model.otherCache);
  info.cpuType = text;
  FormatText(text, sizeof text, "%d KBytes", static_cast<int>(l2Kbytes));
  info.l2CacheSize = text;

  CpuidResult xtl = cpuid.Query(LeafXtlVersion);
  info.xtlVersion = VersionText(false, xtl.ebx, xtl.ecx);

  state.hasVaristep = (cpuid.Query(LeafRevision).edx & VaristepFlag) != 0;
  if (!state.hasVaristep) {
    return Failure(SetupOutcome::Kind::VaristepAbsent, false);
  }
  return OkOutcome();
}

SetupOutcome OpenDriver(DriverLink& driver, const DriverPath& path) {
  if (driver.Open(path)) return OkOutcome();
  uint32_t error = driver.OpenError();
  if (error == ErrorNotSupported) return Failure(SetupOutcome::Kind::OpenNotSupported, true);
  SetupOutcome outcome = Failure(SetupOutcome::Kind::OpenFailed, true);
  outcome.openError = error;
  return outcome;
}

SetupOutcome ReadSerialNumber(RegisterIo& io, CpuidSource& cpuid, ProcessorInfo& info) {
  uint32_t low = 0, high = 0;
  if (!io.ReadRegister(MsrSerialControl, FillerWord, FillerWord, low, high)) {
    return RequestRefusedOutcome();
  }
  // A disabled number is shown as a word, which the window layer has: the text stays empty.
  info.serialDisabled = (low & SerialDisabledBit) != 0;
  if (info.serialDisabled) {
    info.serialNumber.clear();
    return OkOutcome();
  }
  CpuidResult serial = cpuid.Query(LeafSerialNumber);
  char text[32];
  FormatText(text, sizeof text, "0x%08lx%08lx%08lx", static_cast<unsigned long>(serial.ebx),
             static_cast<unsigned long>(serial.ecx), static_cast<unsigned long>(serial.edx));
  info.serialNumber = text;
  return OkOutcome();
}

SetupOutcome ReadPolicy(RegisterIo& io, bool& performance) {
  uint32_t low = 0, high = 0;
  if (!io.ReadRegister(MsrScalingPolicy, FillerWord, ZeroWord, low, high)) {
    return RequestRefusedOutcome();
  }
  performance = low != 0;
  return OkOutcome();
}
