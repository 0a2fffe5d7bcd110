// The nine identification texts gathered once at set-up and shown by CPU Information.
#pragma once

#include <string>

struct ProcessorInfo {
  std::string cpuId;
  std::string xtlVersion;
  std::string frequencyBitmap;
  std::string l2CacheSize;
  std::string cpuName;
  std::string cpuRevision;
  std::string cpuType;
  std::string serialNumber;  // empty when the processor's serial number is disabled
  bool serialDisabled = false;
  std::string voltageBitmap;
};
