#include "app/Settings.h"

namespace app {

const char* const SettingsSection = "Settings";

namespace {

constexpr int32_t AbsentSwitch = 255;
constexpr int32_t AbsentTimer = 0;
constexpr int32_t DefaultTimer = 100;

int32_t LoadWithDefault(SettingsStore& store, const char* name, int32_t sentinel,
                        int32_t defaultValue) {
  int32_t value = store.ReadInt(SettingsSection, name, sentinel);
  if (value != sentinel) return value;
  store.WriteInt(SettingsSection, name, defaultValue);
  return defaultValue;
}

}  // namespace

void LoadSettings(SettingsStore& store, AppSettings& settings) {
  settings.Advanced = store.ReadInt(SettingsSection, "Advanced", 0);
  settings.AlwaysOnTop = LoadWithDefault(store, "AlwaysOnTop", AbsentSwitch, 1);
  settings.SpdSenIcon = LoadWithDefault(store, "SpdSenIcon", AbsentSwitch, 0);
  settings.AboutBox = LoadWithDefault(store, "AboutBox", AbsentSwitch, 0);
  settings.StartMin = LoadWithDefault(store, "StartMin", AbsentSwitch, 0);
  settings.ShowMinMax = LoadWithDefault(store, "ShowMinMax", AbsentSwitch, 0);
  settings.Timer = LoadWithDefault(store, "Timer", AbsentTimer, DefaultTimer);
}

void SaveSettings(SettingsStore& store, const AppSettings& settings) {
  store.WriteInt(SettingsSection, "AlwaysOnTop", settings.AlwaysOnTop);
  store.WriteInt(SettingsSection, "SpdSenIcon", settings.SpdSenIcon);
  store.WriteInt(SettingsSection, "AboutBox", settings.AboutBox);
  store.WriteInt(SettingsSection, "StartMin", settings.StartMin);
  store.WriteInt(SettingsSection, "ShowMinMax", settings.ShowMinMax);
  store.WriteInt(SettingsSection, "Timer", settings.Timer);
}

bool SaveSettingsAfterRun(SettingsStore& store, const AppSettings& settings, intptr_t runResult) {
  constexpr intptr_t Confirmed = 1;
  if (runResult != Confirmed) return false;
  SaveSettings(store, settings);
  return true;
}

}  // namespace app
