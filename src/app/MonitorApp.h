// The application object: single instance, the settings for the whole run, and the one modal run
// of the monitor window.
#pragma once

#include <windows.h>

#include "app/Settings.h"
#include "monitor/Platform.h"

namespace app {

extern const char* const InstanceMutexName;
extern const char* const CompanyKey;

class MonitorApp : public app::AppSettings {
 public:
  // Start-up, the modal run and the exit routine; returns the process exit status.
  int Run(const monitor::Platform& platform, app::SettingsStore& store);

  HANDLE instanceMutex = nullptr;
};

// The whole program on the given processor, with settings in the registry under the
// application's name.
int RunProgram(const monitor::Platform& platform);

}  // namespace app
