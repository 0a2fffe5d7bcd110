// What the tests and benchmarks share: settings kept in memory, the program's default settings,
// and on Windows a recorder for message boxes and a reader for combo box lists.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ui/Settings.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace support {

// Settings in memory: every read and write recorded, in order.
class MemoryStore : public ui::SettingsStore {
 public:
  int32_t ReadInt(const char* section, const char* name, int32_t defaultValue) override {
    sections.insert(section);
    reads.push_back(name);
    log.push_back(std::string("read ") + section + "/" + name);
    auto found = values.find(name);
    return found == values.end() ? defaultValue : found->second;
  }
  void WriteInt(const char* section, const char* name, int32_t value) override {
    sections.insert(section);
    writes.emplace_back(name, value);
    log.push_back(std::string("write ") + section + "/" + name + "=" + std::to_string(value));
    values[name] = value;
  }

  std::vector<std::string> WrittenNames(size_t from = 0) const {
    std::vector<std::string> names;
    for (size_t i = from; i < writes.size(); ++i) names.push_back(writes[i].first);
    return names;
  }

  std::map<std::string, int32_t> values;
  std::set<std::string> sections;
  std::vector<std::string> reads;
  std::vector<std::pair<std::string, int32_t>> writes;
  std::vector<std::string> log;  // "read Settings/Timer", "write Settings/Timer=100"
};

// The settings a first start loads, with "Advanced" as given.
inline ui::AppSettings DefaultSettings(int32_t advanced = 1) {
  ui::AppSettings settings;
  settings.Timer = 100;
  settings.AlwaysOnTop = 1;
  settings.AboutBox = 0;
  settings.Advanced = advanced;
  settings.SpdSenIcon = 0;
  settings.StartMin = 0;
  settings.ShowMinMax = 0;
  return settings;
}

#ifdef _WIN32

// Message boxes as the program asks for them, answered without showing anything.
struct BoxCall {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

inline std::vector<BoxCall>& Boxes() {
  static std::vector<BoxCall> boxes;
  return boxes;
}

inline int& BoxAnswer() {
  static int answer = IDOK;
  return answer;
}

// A message-box hook for ui::SetMessageBoxHook.
inline int RecordBox(HWND owner, const char* text, const char* caption, UINT type) {
  Boxes().push_back({owner, text != nullptr ? text : "", caption != nullptr ? caption : "", type});
  return BoxAnswer();
}

// The texts of a combo box's list, in order.
inline std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

#endif

}  // namespace support
