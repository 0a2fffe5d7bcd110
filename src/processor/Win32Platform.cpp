#include "processor/Win32Platform.h"

#include <windows.h>

#include <cpuid.h>

static_assert(sizeof(DeviceHandle) == sizeof(HANDLE), "handles pass through unchanged");

CpuidResult HardwareCpuid::Query(uint32_t leaf) {
  // The raw instruction, not __get_cpuid: the maker's leaves (0x8086xxxx) lie outside the
  // ranges the helper checks, and the processor answers any leaf without faulting.
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  __cpuid_count(leaf, 0, eax, ebx, ecx, edx);
  return CpuidResult{eax, ebx, ecx, edx};
}

DeviceHandle Win32DriverPort::Open(const char* path, uint32_t flagsAndAttributes) {
  HANDLE device =
      ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, flagsAndAttributes, nullptr);
  return static_cast<DeviceHandle>(device);
}

uint32_t Win32DriverPort::LastError() {
  return ::GetLastError();
}

bool Win32DriverPort::Control(DeviceHandle device, uint32_t code, const void* in, uint32_t inSize,
                              void* out, uint32_t outSize, uint32_t* bytesReturned) {
  DWORD returned = 0;
  BOOL ok = ::DeviceIoControl(static_cast<HANDLE>(device), code, const_cast<void*>(in), inSize, out,
                              outSize, &returned, nullptr);
  if (bytesReturned != nullptr) *bytesReturned = returned;
  return ok != FALSE;
}

bool Win32DriverPort::Close(DeviceHandle device) {
  return ::CloseHandle(static_cast<HANDLE>(device)) != FALSE;
}

uint32_t PortIoPci::ReadConfigDword(uint32_t address) const {
  uint32_t value = 0;
  __asm__ __volatile__("outl %0, %w1" : : "a"(address), "Nd"(static_cast<uint16_t>(0xCF8)));
  __asm__ __volatile__("inl %w1, %0" : "=a"(value) : "Nd"(static_cast<uint16_t>(0xCFC)));
  return value;
}

VersionFields ReadWindowsVersion() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = 148;  // the plain (not EX) record, which every Windows accepts
  // On failure the zeroed record reads as platform 0: the 9x path.
  ::GetVersionExA(&info);
  return VersionFields{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

void SleepMilliseconds(uint32_t ms) {
  ::Sleep(ms);
}
