// The power-management driver of an emulated Zephrin, as Wine's winedevice loads a kernel
// service: "\\.\I2CDev" answers the program's 12-byte register requests from the same simulated
// processor the demo runs on, and the private requests of the harness (CPUID, PCI, set-up of a
// run, the request log) and of the VxD stand-in. Test equipment only.
// The programs' headers are those of Windows 2000; the DDK's need a newer system's.
#undef _WIN32_WINNT
#undef WINVER
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
// The DDK header defines two intrinsics again that <intrin.h> has already defined for C++.
#include <intrin.h>
#define InterlockedBitTestAndSet DdkInterlockedBitTestAndSet
#define InterlockedBitTestAndReset DdkInterlockedBitTestAndReset
#include <ddk/wdm.h>
#undef InterlockedBitTestAndSet
#undef InterlockedBitTestAndReset

#include <new>

#include "EmulatorProtocol.h"
#include "processor/MsrRequest.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"

// No C++ runtime in kernel mode: the model is never deleted, and has no pure call.
void operator delete(void*) noexcept {}
void operator delete(void*, size_t) noexcept {}
extern "C" void __cxa_pure_virtual() {}

namespace {

using namespace emulator;

// Static constructors do not run in a driver: the model is built in place by each run's set-up.
alignas(sim::SimProcessor) unsigned char modelStorage[sizeof(sim::SimProcessor)];
sim::SimProcessor* model = nullptr;

KMUTEX lock;  // winedevice may deliver requests on more than one thread
PDEVICE_OBJECT device = nullptr;

ConfigureIn plan = {};
uint32_t requestCount = 0;
LogEntry requestLog[LogCapacity];
uint32_t logged = 0;

sim::SimProcessor& Model() {
  if (model == nullptr) model = new (modelStorage) sim::SimProcessor(sim::Profile::Default);
  return *model;
}

void Reset(const ConfigureIn& in) {
  plan = in;
  model = new (modelStorage) sim::SimProcessor(static_cast<sim::Profile>(in.profile));
  requestCount = 0;
  logged = 0;
}

// One of the program's requests, by the real driver's contract: a read fills both words, a write
// stores them, anything else is refused. Returns the bytes written to out, or -1 when refused.
long ProgramRequest(uint32_t code, uint32_t expectedCode, const void* in, uint32_t inSize,
                    void* out, uint32_t outSize) {
  MsrRequest request = {};
  if (in != nullptr) memcpy(&request, in, inSize < sizeof request ? inSize : sizeof request);
  bool isRead = out != nullptr && outSize == sizeof(MsrRequest);
  bool ok = code == expectedCode && inSize == sizeof(MsrRequest) && (isRead || outSize == 0) &&
            ++requestCount != plan.refuseRequest;
  if (ok) {
    if (isRead) {
      MsrRequest reply = {0, 0, request.msr};
      ok = Model().ReadMsr(request.msr, reply.low, reply.high);
      if (ok) memcpy(out, &reply, sizeof reply);
    } else {
      ok = Model().WriteMsr(request.msr, request.low, request.high);
    }
  }
  if (logged < LogCapacity) {
    requestLog[logged++] =
        LogEntry{code, request.low, request.high, request.msr, isRead, ok ? 1u : 0u};
  }
  if (!ok) return -1;
  return isRead ? static_cast<long>(sizeof(MsrRequest)) : 0;
}

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

// Wine opens the device whatever the driver answers here, so failed opens are the harness's.
NTSTATUS NTAPI Close(PDEVICE_OBJECT, PIRP irp) {
  return Complete(irp, STATUS_SUCCESS, 0);
}

// A private request: its input record in, one output record back in the same system buffer
// (METHOD_BUFFERED).
template <typename In, typename Out, typename Answer>
NTSTATUS Private(void* buffer, uint32_t inSize, uint32_t outSize, ULONG_PTR& information,
                 Answer answer) {
  if (inSize < sizeof(In) || outSize < sizeof(Out)) return STATUS_BUFFER_TOO_SMALL;
  In in;
  memcpy(&in, buffer, sizeof in);
  static Out out;  // the log page is too big for a kernel stack
  answer(in, out);
  memcpy(buffer, &out, sizeof out);
  information = sizeof out;
  return STATUS_SUCCESS;
}

NTSTATUS Program(long written, ULONG_PTR& information) {
  if (written < 0) return STATUS_INVALID_DEVICE_REQUEST;
  information = static_cast<ULONG_PTR>(written);
  return STATUS_SUCCESS;
}

NTSTATUS Control(PIO_STACK_LOCATION stack, void* buffer, ULONG_PTR& information) {
  const uint32_t code = stack->Parameters.DeviceIoControl.IoControlCode;
  const uint32_t inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
  const uint32_t outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
  void* out = outSize != 0 ? buffer : nullptr;
  switch (code) {
    case CodeConfigure:
      return Private<ConfigureIn, ConfigureOut>(buffer, inSize, outSize, information,
                                                [](const ConfigureIn& in, ConfigureOut& o) {
                                                  if (in.keep == 0) Reset(in);
                                                  o.requests = requestCount;
                                                });
    case CodeCpuid:
      return Private<CpuidIn, CpuidOut>(buffer, inSize, outSize, information,
                                        [](const CpuidIn& in, CpuidOut& o) {
                                          sim::SimProcessor& m = Model();
                                          if (in.load >= 0) m.SetLoad(in.load);
                                          // As in the demo: the processor's time moves when the
                                          // program reads the current state.
                                          if (in.leaf == LeafCurrentState) m.SetClock(in.clockMs);
                                          CpuidResult r = m.Query(in.leaf);
                                          o = CpuidOut{r.eax, r.ebx, r.ecx, r.edx};
                                        });
    case CodePci:
      return Private<PciIn, PciOut>(buffer, inSize, outSize, information,
                                    [](const PciIn& in, PciOut& o) {
                                      o.value = sim::SimPci(Model()).ReadConfigDword(in.address);
                                    });
    case CodeLog:
      return Private<LogIn, LogOut>(
          buffer, inSize, outSize, information, [](const LogIn& in, LogOut& o) {
            o.total = logged;
            o.count = 0;
            for (uint32_t i = in.first; i < logged && o.count < LogPage; ++i) {
              o.entries[o.count++] = requestLog[i];
            }
          });
    case CodeForward: {
      if (inSize < sizeof(ForwardIn)) return STATUS_BUFFER_TOO_SMALL;
      ForwardIn in;
      memcpy(&in, buffer, sizeof in);
      const void* request = in.inSize >= sizeof in.in ? in.in : nullptr;
      return Program(ProgramRequest(in.code, RealCode9x, request, in.inSize, out, outSize),
                     information);
    }
    default:
      return Program(ProgramRequest(code, RealCodeNt, buffer, inSize, out, outSize), information);
  }
}

NTSTATUS NTAPI DeviceControl(PDEVICE_OBJECT, PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  ULONG_PTR information = 0;
  KeWaitForSingleObject(&lock, Executive, KernelMode, FALSE, nullptr);
  NTSTATUS status = Control(stack, irp->AssociatedIrp.SystemBuffer, information);
  KeReleaseMutex(&lock, FALSE);
  return Complete(irp, status, information);
}

UNICODE_STRING deviceName;
UNICODE_STRING linkName;

void NTAPI Unload(PDRIVER_OBJECT) {
  IoDeleteSymbolicLink(&linkName);
  if (device != nullptr) IoDeleteDevice(device);
  device = nullptr;
}

}  // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
  KeInitializeMutex(&lock, 0);
  RtlInitUnicodeString(&deviceName, L"\\Device\\I2CDev");
  RtlInitUnicodeString(&linkName, L"\\DosDevices\\I2CDev");
  NTSTATUS status = IoCreateDevice(driver, 0, &deviceName, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  status = IoCreateSymbolicLink(&linkName, &deviceName);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    device = nullptr;
    return status;
  }
  driver->MajorFunction[IRP_MJ_CREATE] = Close;
  driver->MajorFunction[IRP_MJ_CLEANUP] = Close;
  driver->MajorFunction[IRP_MJ_CLOSE] = Close;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;
  driver->DriverUnload = Unload;
  return STATUS_SUCCESS;
}
