// The version fields that choose the driver path.
#pragma once

#include "processor/DriverPath.h"

VersionFields ReadWindowsVersion();
