#include "app/Settings.h"

namespace app {

const char* const kSettingsSection = "Settings";

namespace {

constexpr int32_t kAbsentSwitch = 255;
constexpr int32_t kAbsentTimer = 0;
constexpr int32_t kDefaultTimer = 100;

int32_t LoadWithDefault(SettingsStore& store, const char* name, int32_t sentinel,
                        int32_t defaultValue) {
  int32_t value = store.ReadInt(kSettingsSection, name, sentinel);
  if (value != sentinel) return value;
  store.WriteInt(kSettingsSection, name, defaultValue);
  return defaultValue;
}

}  // namespace

void LoadSettings(SettingsStore& store, AppSettings& settings) {
  settings.Advanced = store.ReadInt(kSettingsSection, "Advanced", 0);
  settings.AlwaysOnTop = LoadWithDefault(store, "AlwaysOnTop", kAbsentSwitch, 1);
  settings.SpdSenIcon = LoadWithDefault(store, "SpdSenIcon", kAbsentSwitch, 0);
  settings.AboutBox = LoadWithDefault(store, "AboutBox", kAbsentSwitch, 0);
  settings.StartMin = LoadWithDefault(store, "StartMin", kAbsentSwitch, 0);
  settings.ShowMinMax = LoadWithDefault(store, "ShowMinMax", kAbsentSwitch, 0);
  settings.Timer = LoadWithDefault(store, "Timer", kAbsentTimer, kDefaultTimer);
}

void SaveSettings(SettingsStore& store, const AppSettings& settings) {
  store.WriteInt(kSettingsSection, "AlwaysOnTop", settings.AlwaysOnTop);
  store.WriteInt(kSettingsSection, "SpdSenIcon", settings.SpdSenIcon);
  store.WriteInt(kSettingsSection, "AboutBox", settings.AboutBox);
  store.WriteInt(kSettingsSection, "StartMin", settings.StartMin);
  store.WriteInt(kSettingsSection, "ShowMinMax", settings.ShowMinMax);
  store.WriteInt(kSettingsSection, "Timer", settings.Timer);
}

bool SaveSettingsAfterRun(SettingsStore& store, const AppSettings& settings, intptr_t runResult) {
  constexpr intptr_t kConfirmed = 1;
  if (runResult != kConfirmed) return false;
  SaveSettings(store, settings);
  return true;
}

}  // namespace app
