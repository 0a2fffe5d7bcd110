// The nine identification texts gathered once at set-up and shown by CPU Information.
#pragma once

#include "base/FixedText.h"

struct ProcessorInfo {
  ShortText cpuId;
  ShortText xtlVersion;
  ShortText frequencyBitmap;
  ShortText l2CacheSize;
  ShortText cpuName;
  ShortText cpuRevision;
  ShortText cpuType;
  ShortText serialNumber;  // empty when the processor's serial number is disabled
  bool serialDisabled = false;
  ShortText voltageBitmap;
};
