// The running Windows version as GetVersionExA gives it, read once at start-up. A failed query
// reads as all zeros: platform 0, the oldest family.
#pragma once

#include <cstdint>

struct VersionFields {
  uint32_t platformId, major, minor;
};
