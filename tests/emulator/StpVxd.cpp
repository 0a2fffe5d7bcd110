// The VxD stand-in for Wine's Windows 98 mode. Opening "\\.\stpvxd.vxd" makes Wine load this DLL
// into the program and call its export DeviceIoControl, with no handle. Each request goes on to
// the emulated driver, so that both families meet one processor. Test equipment only.
#include <windows.h>
#include <winternl.h>

#include "EmulatorProtocol.h"

extern "C" NTSTATUS NTAPI NtDeviceIoControlFile(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID,
                                                PIO_STATUS_BLOCK, ULONG, PVOID, ULONG, PVOID,
                                                ULONG);

namespace {

HANDLE device = INVALID_HANDLE_VALUE;

// In 98 mode Wine takes every "\\.\" name that CreateFileA sees for a VxD, so the NT device is
// opened below it.
HANDLE OpenDriver() {
  UNICODE_STRING name;
  RtlInitUnicodeString(&name, L"\\??\\I2CDev");
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  NTSTATUS status = NtCreateFile(&handle, GENERIC_READ | GENERIC_WRITE | SYNCHRONIZE, &attributes,
                                 &io, nullptr, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN,
                                 FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  return status >= 0 ? handle : INVALID_HANDLE_VALUE;
}

}  // namespace

// A driver that refuses the open makes the load fail, and Wine's open of the VxD with it.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    device = OpenDriver();
    return device != INVALID_HANDLE_VALUE;
  }
  if (reason == DLL_PROCESS_DETACH && device != INVALID_HANDLE_VALUE) ::CloseHandle(device);
  return TRUE;
}

extern "C" BOOL WINAPI VxdDeviceIoControl(DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                          DWORD outSize, LPDWORD returned, LPOVERLAPPED) {
  emulator::ForwardIn forward = {};
  forward.code = code;
  forward.inSize = inSize;
  if (in != nullptr && inSize >= sizeof forward.in) ::CopyMemory(forward.in, in, sizeof forward.in);
  IO_STATUS_BLOCK io = {};
  NTSTATUS status =
      NtDeviceIoControlFile(device, nullptr, nullptr, nullptr, &io, emulator::CodeForward, &forward,
                            sizeof forward, out, out != nullptr ? outSize : 0);
  if (returned != nullptr) *returned = static_cast<DWORD>(io.Information);
  if (status < 0) {
    ::SetLastError(RtlNtStatusToDosError(status));
    return FALSE;
  }
  return TRUE;
}
