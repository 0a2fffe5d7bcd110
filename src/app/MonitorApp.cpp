#include "app/MonitorApp.h"

#include "app/RegistryStore.h"
#include "monitor/MonitorDialog.h"
#include "resource.h"
#include "resources/Product.h"
#include "tray/SystemTray.h"
#include "ui/App.h"
#include "ui/StartUp.h"

namespace app {

const char* const InstanceMutexName = "{7C1E93A0-2B64-4A1F-9F3C-00105A6E4D21}";
const char* const CompanyKey = product::CompanyKey;

int MonitorApp::Run(const monitor::Platform& platform, app::SettingsStore& store) {
  instanceMutex = ::CreateMutexA(nullptr, FALSE, InstanceMutexName);
  int exitCode = 0;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ui::AppMessageBox(&platform.shell, IDS_ALREADY_RUNNING, MB_OK);
  } else {
    app::LoadSettings(store, *this);
    monitor::MonitorDialog window(*this, store, platform);
    INT_PTR result = window.DoModal();
    app::SaveSettingsAfterRun(store, *this, result);
    exitCode = static_cast<int>(window.ExitCode());
  }
  if (instanceMutex != nullptr) ::CloseHandle(instanceMutex);
  instanceMutex = nullptr;
  return exitCode;
}

int RunProgram(const monitor::Platform& platform) {
  ui::StartUp();
  RegistryStore store(CompanyKey, ui::AppName().c_str());
  MonitorApp application;
  return application.Run(platform, store);
}

}  // namespace app
