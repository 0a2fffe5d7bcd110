// The settings store on the real registry against contents the program never wrote: every value
// stored with the wrong type or size, "Settings" as a value instead of a key, and a key the user
// may read but not write. Each reads as the default, nothing crashes, and a whole run writes
// the six settings back as well-formed REG_DWORDs.
#include <aclapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/RegistryStore.h"
#include "monitor_fixture.h"

namespace monitor_test {
namespace {

constexpr const char* Company = "CorvalithTest";
constexpr const char* Application = "h7-reliability";

const char* const SevenValues[] = {"Advanced", "AlwaysOnTop", "SpdSenIcon", "AboutBox",
                                   "StartMin", "ShowMinMax",  "Timer"};

std::string CompanyPath() {
  return std::string("software\\") + Company;
}
std::string ApplicationPath() {
  return CompanyPath() + "\\" + Application;
}
std::string SettingsPath() {
  return ApplicationPath() + "\\Settings";
}

struct Stored {
  const char* what;
  DWORD type;
  std::vector<BYTE> data;
};

// Every wrong shape a value can have; each holds something that would read as 1 if the type
// were ignored.
std::vector<Stored> WrongShapes() {
  return {
      {"REG_SZ", REG_SZ, {'1', 0}},
      {"long REG_SZ", REG_SZ, std::vector<BYTE>(300, '7')},
      {"REG_BINARY of 1 byte", REG_BINARY, {1}},
      {"REG_BINARY of 2 bytes", REG_BINARY, {1, 0}},
      {"REG_BINARY of 4 bytes", REG_BINARY, {1, 0, 0, 0}},
      {"REG_BINARY of 8 bytes", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"REG_QWORD", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"empty REG_DWORD", REG_DWORD, {}},
      {"REG_MULTI_SZ", REG_MULTI_SZ, {'1', 0, 0}},
  };
}

class ReliabilityRegistry : public MonitorFixture {
 protected:
  void SetUp() override {
    MonitorFixture::SetUp();
    DeleteKeys();
  }
  void TearDown() override {
    DeleteKeys();
    MonitorFixture::TearDown();
  }

  static void DeleteKeys() {
    // A key left read-only by a failed test must still go.
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, WRITE_DAC, &key) ==
        ERROR_SUCCESS) {
      ::SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                        nullptr);
      ::RegCloseKey(key);
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, SettingsPath().c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, ApplicationPath().c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, CompanyPath().c_str());
  }

  static HKEY Create(const std::string& path) {
    HKEY key = nullptr;
    EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }

  static void SetRaw(const std::string& path, const char* name, const Stored& value) {
    HKEY key = Create(path);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(::RegSetValueExA(key, name, 0, value.type, value.data.data(),
                               static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
  }

  struct Raw {
    LONG status;
    DWORD type;
    DWORD size;
    DWORD value;
  };
  static Raw ReadRaw(const char* name) {
    Raw raw = {ERROR_FILE_NOT_FOUND, 0, 0, 0};
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
      return raw;
    }
    BYTE data[16] = {};
    raw.size = sizeof data;
    raw.status = ::RegQueryValueExA(key, name, nullptr, &raw.type, data, &raw.size);
    std::memcpy(&raw.value, data, sizeof raw.value);
    ::RegCloseKey(key);
    return raw;
  }

  // The six values the program owns are REG_DWORDs of four bytes with these contents.
  static void ExpectWellFormed(const std::vector<std::pair<const char*, int32_t>>& expected) {
    for (const auto& one : expected) {
      SCOPED_TRACE(one.first);
      Raw raw = ReadRaw(one.first);
      EXPECT_EQ(raw.status, ERROR_SUCCESS);
      EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD));
      EXPECT_EQ(raw.size, 4u);
      EXPECT_EQ(static_cast<int32_t>(raw.value), one.second);
    }
  }

  static std::vector<std::pair<const char*, int32_t>> Defaults() {
    return {{"AlwaysOnTop", 1}, {"SpdSenIcon", 0}, {"AboutBox", 0},
            {"StartMin", 0},    {"ShowMinMax", 0}, {"Timer", 100}};
  }

  // The whole program on the registry store, ended by Close (which saves) from its set-up.
  int RunAndClose(app::SettingsStore& registry, app::AppSettings* seen = nullptr) {
    Seen().onMonitor = [seen](ui::Dialog& made) {
      auto& monitor = static_cast<monitor::MonitorDialog&>(made);
      if (seen != nullptr) *seen = *monitor.app;
      ::PostMessageA(made.Hwnd(), WM_COMMAND, ID_CLOSE, 0);
    };
    app::MonitorApp application;
    return application.Run(Platform(), registry);
  }
};

TEST_F(ReliabilityRegistry, WrongTypedValuesReadAsTheDefault) {
  app::RegistryStore registry(Company, Application);
  // Absent: the default, and the key path is made on the way.
  EXPECT_EQ(registry.ReadInt("Settings", "Timer", 0), 0);
  registry.WriteInt("Settings", "Timer", -5);
  EXPECT_EQ(registry.ReadInt("Settings", "Timer", 0), -5);

  SetRaw(SettingsPath(), "Timer", {"REG_SZ", REG_SZ, {'1', '0', '0', 0}});
  EXPECT_EQ(registry.ReadInt("Settings", "Timer", 0), 0);
  SetRaw(SettingsPath(), "StartMin", {"REG_BINARY", REG_BINARY, {1, 0}});
  EXPECT_EQ(registry.ReadInt("Settings", "StartMin", 255), 255);
  SetRaw(SettingsPath(), "AboutBox", {"REG_QWORD", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}});
  EXPECT_EQ(registry.ReadInt("Settings", "AboutBox", 255), 255);

  // The start-up rules then put the defaults back as proper values.
  app::AppSettings loaded;
  app::LoadSettings(registry, loaded);
  EXPECT_EQ(loaded.Timer, 100);
  EXPECT_EQ(loaded.StartMin, 0);
  EXPECT_EQ(loaded.AboutBox, 0);
  EXPECT_EQ(registry.ReadInt("Settings", "Timer", 0), 100);
  EXPECT_EQ(registry.ReadInt("Settings", "AlwaysOnTop", 255), 1);
  EXPECT_EQ(registry.ReadInt("Settings", "Advanced", 12345), 12345);
}

TEST_F(ReliabilityRegistry, EveryWrongShapeOfEveryValueReadsAsTheDefault) {
  app::RegistryStore registry(Company, Application);
  int cases = 0;
  for (const Stored& shape : WrongShapes()) {
    for (const char* name : SevenValues) {
      SCOPED_TRACE(std::string(name) + " as " + shape.what);
      SetRaw(SettingsPath(), name, shape);
      EXPECT_EQ(registry.ReadInt("Settings", name, 255), 255);
      EXPECT_EQ(registry.ReadInt("Settings", name, -7), -7);
      ++cases;
    }
  }
  EXPECT_EQ(cases, 63);
}

TEST_F(ReliabilityRegistry, WrongShapesAreReplacedByWellFormedDefaultsThroughARun) {
  for (const Stored& shape : WrongShapes()) {
    SCOPED_TRACE(shape.what);
    DeleteKeys();
    ForgetAll();
    UseProfile(sim::Profile::Default);
    for (const char* name : SevenValues) SetRaw(SettingsPath(), name, shape);
    app::RegistryStore registry(Company, Application);
    app::AppSettings seen;
    EXPECT_EQ(RunAndClose(registry, &seen), 0);
    EXPECT_TRUE(Boxes().empty());
    // Ran with the defaults: Advanced reads as 0, the others as a fresh installation's.
    EXPECT_EQ(seen.Advanced, 0);
    EXPECT_EQ(seen.Timer, 100);
    EXPECT_EQ(seen.AlwaysOnTop, 1);
    EXPECT_EQ(seen.StartMin, 0);
    ExpectWellFormed(Defaults());
    // "Advanced" is the user's: never written, so it keeps whatever shape it had.
    Raw advanced = ReadRaw("Advanced");
    EXPECT_EQ(advanced.type, shape.type);
  }
}

TEST_F(ReliabilityRegistry, SettingsAsAValueInsteadOfAKey) {
  // A value named like the key beside it, at each level of the path.
  SetRaw(ApplicationPath(), "Settings", {"REG_SZ", REG_SZ, {'x', 0}});
  SetRaw(CompanyPath(), Application, {"REG_DWORD", REG_DWORD, {1, 0, 0, 0}});
  ::RegDeleteKeyA(HKEY_CURRENT_USER, SettingsPath().c_str());
  app::RegistryStore registry(Company, Application);
  EXPECT_EQ(registry.ReadInt("Settings", "Timer", 0), 0);
  EXPECT_EQ(RunAndClose(registry), 0);
  ExpectWellFormed(Defaults());

  // The values are still there, untouched.
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, ApplicationPath().c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(::RegQueryValueExA(key, "Settings", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  ::RegCloseKey(key);
}

TEST_F(ReliabilityRegistry, ReadOnlySettingsKeyRunsOnDefaultsWithoutComplaint) {
  // Stored values the user cannot change: a read-only DACL on the Settings key.
  for (const auto& one : std::vector<std::pair<const char*, int32_t>>{
           {"Timer", 250}, {"AlwaysOnTop", 0}, {"StartMin", 0}}) {
    SetRaw(SettingsPath(), one.first,
           {"REG_DWORD",
            REG_DWORD,
            {static_cast<BYTE>(one.second & 0xFF), static_cast<BYTE>(one.second >> 8), 0, 0}});
  }
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, WRITE_DAC, &key),
            ERROR_SUCCESS);
  EXPLICIT_ACCESS_A readOnly = {};
  char everyone[] = "EVERYONE";
  ::BuildExplicitAccessWithNameA(&readOnly, everyone, KEY_READ, SET_ACCESS, NO_INHERITANCE);
  PACL acl = nullptr;
  ASSERT_EQ(::SetEntriesInAclA(1, &readOnly, nullptr, &acl), ERROR_SUCCESS);
  ASSERT_EQ(::SetSecurityInfo(key, SE_REGISTRY_KEY,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr),
            ERROR_SUCCESS);
  ::LocalFree(acl);
  ::RegCloseKey(key);

  // The lock holds: a plain write is refused.
  HKEY writable = nullptr;
  LONG opened =
      ::RegOpenKeyExA(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, KEY_SET_VALUE, &writable);
  if (opened == ERROR_SUCCESS) ::RegCloseKey(writable);
  ASSERT_EQ(opened, ERROR_ACCESS_DENIED) << "this registry does not enforce key security";

  app::RegistryStore registry(Company, Application);
  // The store opens its path for writing as well, so a locked key reads as the default.
  EXPECT_EQ(registry.ReadInt("Settings", "Timer", 0), 0);
  registry.WriteInt("Settings", "Timer", 999);
  app::AppSettings seen;
  EXPECT_EQ(RunAndClose(registry, &seen), 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(seen.Timer, 100);
  EXPECT_EQ(seen.AlwaysOnTop, 1);
  // Nothing changed behind the lock.
  Raw timer = ReadRaw("Timer");
  EXPECT_EQ(timer.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(static_cast<int32_t>(timer.value), 250);
  EXPECT_EQ(ReadRaw("SpdSenIcon").status, ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace monitor_test
