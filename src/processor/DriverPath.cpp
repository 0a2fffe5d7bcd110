#include "processor/DriverPath.h"

#include "processor/ProcessorState.h"

OsKind KindOfWindows(const VersionFields& version) {
  // Platform ids 0 (Win32s) and 1 (9x) both mean the 9x family, whatever the version number says.
  if (version.platformId < 2) return OsKind::Windows9x;
  // Every version 5 after 2000 (XP, XP x64, Server 2003) counts as XP.
  if (version.major == 5) return version.minor == 0 ? OsKind::Windows2000 : OsKind::WindowsXp;
  return OsKind::OtherNt;
}

DriverPath ChooseDriverPath(const VersionFields& version) {
  if (KindOfWindows(version) == OsKind::Windows9x) {
    return DriverPath{DevicePath9x, ControlCode9x, OpenFlags9x};
  }
  return DriverPath{DevicePathNt, ControlCodeNt, OpenFlagsNt};
}

DriverPath ChooseDriverPath(const VersionFields& version, ProcessorState& state) {
  state.osKind = KindOfWindows(version);
  return ChooseDriverPath(version);
}
