// The settings store on the per-user registry: HKCU\Software\<company>\<application>\<section>.
#pragma once

#include "app/Settings.h"
#include "ui/AppName.h"

namespace app {

class RegistryStore : public app::SettingsStore {
 public:
  RegistryStore(const char* company, const char* application);

  // Opens (creating what is missing) the key path on every call and caches nothing. An absent
  // value, or one of the wrong type or size, reads as the default.
  int32_t ReadInt(const char* section, const char* name, int32_t defaultValue) override;
  void WriteInt(const char* section, const char* name, int32_t value) override;

 private:
  PathText company_;
  PathText application_;
};

}  // namespace app
