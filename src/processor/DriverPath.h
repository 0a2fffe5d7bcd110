// Which device path, control code and open flags reach the power-management driver on the
// running Windows version. Pure: the caller reads the version fields.
#pragma once

#include <cstdint>

#include "base/WindowsVersion.h"

struct ProcessorState;

// The Windows family and version class, decided once from the version fields.
enum class OsKind : int { Windows9x = 0, OtherNt = 1, Windows2000 = 2, WindowsXp = 3 };

struct DriverPath {
  const char* path;
  uint32_t controlCode;
  uint32_t openFlags;
};

constexpr const char* DevicePath9x = "\\\\.\\stpvxd.vxd";
constexpr const char* DevicePathNt = "\\\\.\\I2CDev";
constexpr uint32_t ControlCode9x = 1;
// Device type 0x9C40, function 0xA01, METHOD_BUFFERED, read and write access.
constexpr uint32_t ControlCodeNt = 0x9C40E804;
constexpr uint32_t OpenFlags9x = 0x04000000;  // FILE_FLAG_DELETE_ON_CLOSE: the VxD unloads on close
constexpr uint32_t OpenFlagsNt = 0;

DriverPath ChooseDriverPath(const VersionFields& version);

OsKind KindOfWindows(const VersionFields& version);

// The same, also storing osKind where identification and Manual Selection read it.
DriverPath ChooseDriverPath(const VersionFields& version, ProcessorState& state);
