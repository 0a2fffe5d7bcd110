#include "processor/DriverPath.h"

#include "processor/ProcessorState.h"

DriverPath ChooseDriverPath(const VersionFields& version) {
  // Platform ids 0 (Win32s) and 1 (9x) both mean the VxD, whatever the version number says.
  if (version.platformId < 2) {
    return DriverPath{DevicePath9x, ControlCode9x, OpenFlags9x, OsKind::Windows9x};
  }
  OsKind osKind = OsKind::OtherNt;
  // Every version 5 after 2000 (XP, XP x64, Server 2003) counts as XP.
  if (version.major == 5) osKind = version.minor == 0 ? OsKind::Windows2000 : OsKind::WindowsXp;
  return DriverPath{DevicePathNt, ControlCodeNt, OpenFlagsNt, osKind};
}

DriverPath ChooseDriverPath(const VersionFields& version, ProcessorState& state) {
  DriverPath path = ChooseDriverPath(version);
  state.osKind = path.osKind;
  return path;
}
