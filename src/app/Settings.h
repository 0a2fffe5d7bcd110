// The user settings and the rules for loading and saving them, apart from where they are stored.
// Below every window that uses them: start-up loads and saves them, the monitor window saves them
// at the end of a session, and Properties changes them.
#pragma once

#include <cstdint>

namespace app {

// Where settings live: read an integer with a default, write an integer. The registry profile is
// the real one; tests use an in-memory store.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual int32_t ReadInt(const char* section, const char* name, int32_t defaultValue) = 0;
  virtual void WriteInt(const char* section, const char* name, int32_t value) = 0;
};

extern const char* const SettingsSection;

// The seven settings, named as their registry values. Every switch counts as on when nonzero.
struct AppSettings {
  int32_t Timer = 0;
  int32_t AlwaysOnTop = 0;
  int32_t AboutBox = 0;
  int32_t Advanced = 0;
  int32_t SpdSenIcon = 0;
  int32_t StartMin = 0;
  int32_t ShowMinMax = 0;
};

// Reads the seven settings in their fixed order. A switch that reads as 255 (absent) or a Timer
// that reads as 0 gets its default, written back at once. "Advanced" is only ever read.
void LoadSettings(SettingsStore& store, AppSettings& settings);

// Writes the six settings the program owns, in their fixed order; never "Advanced".
void SaveSettings(SettingsStore& store, const AppSettings& settings);

// The end of a run: only the confirm result (IDOK, 1) writes the settings back. Returns whether
// it wrote.
bool SaveSettingsAfterRun(SettingsStore& store, const AppSettings& settings, intptr_t runResult);

}  // namespace app
