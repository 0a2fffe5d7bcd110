// What the tests and benchmarks share: settings kept in memory, the program's default settings,
// and on Windows a recorder for message boxes and a reader for combo box lists.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/Settings.h"
#include "support/PrintText.h"

#ifdef _WIN32
#include <windows.h>

#include <commctrl.h>

#include "ui/App.h"
#endif

namespace support {

// Settings in memory: every read and write recorded, in order.
class MemoryStore : public app::SettingsStore {
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
inline app::AppSettings DefaultSettings(int32_t advanced = 1) {
  app::AppSettings settings;
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
  bool ownerVisible;
};

inline std::vector<BoxCall>& Boxes() {
  static std::vector<BoxCall> boxes;
  return boxes;
}

inline int& BoxAnswer() {
  static int answer = IDOK;
  return answer;
}

// Runs inside the box, before it is answered: whatever the box's own loop would deliver.
inline std::function<void(const BoxCall&)>& WhileBoxOpen() {
  static std::function<void(const BoxCall&)> hook;
  return hook;
}

// Boxes opened while another one was still open.
inline int& NestedBoxes() {
  static int nested = 0;
  return nested;
}

// The box of the tests' shell table.
inline int RecordBox(HWND owner, const char* text, const char* caption, UINT type) {
  static int depth = 0;
  Boxes().push_back({owner, text != nullptr ? text : "", caption != nullptr ? caption : "", type,
                     owner != nullptr && ::IsWindowVisible(owner) != FALSE});
  const BoxCall call = Boxes().back();  // the hook may add boxes of its own
  if (depth > 0) ++NestedBoxes();
  ++depth;
  if (WhileBoxOpen()) WhileBoxOpen()(call);
  --depth;
  return BoxAnswer();
}

// No box recorded, every box answered OK, nothing run inside one.
inline void ResetBoxes() {
  Boxes().clear();
  BoxAnswer() = IDOK;
  WhileBoxOpen() = nullptr;
  NestedBoxes() = 0;
}

// Starts with no box recorded; the boxes of dialogs made with the tests' shell are recorded.
struct BoxRecording {
  BoxRecording() { ResetBoxes(); }
};

// Delivers everything posted to this thread's windows, so posted follow-ups have run.
inline void Pump() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

// A control's text, and a check box's state, by the control's id in a dialog.
inline std::string FieldText(HWND dialog, int id) {
  char buffer[256] = {};
  ::GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return buffer;
}

inline LRESULT CheckState(HWND dialog, int id) {
  return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0);
}

// The six cells of a step list's row.
inline std::vector<std::string> ListRow(HWND list, int row) {
  std::vector<std::string> cells;
  for (int k = 0; k < 6; ++k) {
    char buffer[64] = {};
    LVITEMA item = {};
    item.iSubItem = k;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    cells.push_back(buffer);
  }
  return cells;
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
