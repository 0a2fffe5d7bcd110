#include "app/RegistryStore.h"

#include <windows.h>

namespace app {

namespace {

// Opens HKCU\software, then creates or opens each key below it. Null when any step fails.
HKEY OpenSectionKey(const char* company, const char* application, const char* section) {
  HKEY software = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, KEY_WRITE | KEY_READ, &software) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  HKEY current = software;
  const char* const path[] = {company, application, section};
  for (const char* name : path) {
    HKEY next = nullptr;
    DWORD disposition = 0;
    LONG status = ::RegCreateKeyExA(current, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_WRITE | KEY_READ, nullptr, &next, &disposition);
    ::RegCloseKey(current);
    if (status != ERROR_SUCCESS) return nullptr;
    current = next;
  }
  return current;
}

}  // namespace

RegistryStore::RegistryStore(const char* company, const char* application)
    : company_(company), application_(application) {}

int32_t RegistryStore::ReadInt(const char* section, const char* name, int32_t defaultValue) {
  HKEY key = OpenSectionKey(company_.c_str(), application_.c_str(), section);
  if (key == nullptr) return defaultValue;
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  LONG status =
      ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return defaultValue;
  return static_cast<int32_t>(data);
}

void RegistryStore::WriteInt(const char* section, const char* name, int32_t value) {
  HKEY key = OpenSectionKey(company_.c_str(), application_.c_str(), section);
  if (key == nullptr) return;
  DWORD data = static_cast<DWORD>(value);
  ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  ::RegCloseKey(key);
}

}  // namespace app
