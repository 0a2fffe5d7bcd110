// Every dialog template as the program loads it: caption, size, font, and each control's id,
// class, text, place and key styles; then each template made into a window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/Dialog.h"
#include "ui/StartUp.h"

namespace {

// Predefined control classes are stored as atoms in templates.
constexpr WORD Button = 0x80, Edit = 0x81, Static = 0x82, ComboBox = 0x85;

struct Item {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;
  std::string className;  // "#128" for an atom
  std::string text;       // "#128" for a resource ordinal
};

struct Template {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  int pointSize = 0;
  std::string font;
  std::vector<Item> items;
};

// Reads a DLGTEMPLATEEX, the form DIALOGEX resources take.
class Reader {
 public:
  Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  WORD Word() {
    WORD value = 0;
    if (at_ + 2 > size_) {
      ok_ = false;
      return 0;
    }
    value = static_cast<WORD>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    const DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  int Short() { return static_cast<short>(Word()); }
  std::string Text() {
    std::string text;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) text += static_cast<char>(c < 0x80 ? c : '?');
    return text;
  }
  // A name or an ordinal: nothing, 0xFFFF then a number, or a text.
  std::string NameOrOrdinal() {
    const WORD first = Word();
    if (first == 0) return "";
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    at_ -= 2;
    return Text();
  }
  void AlignDword() { at_ = (at_ + 3) & ~static_cast<size_t>(3); }
  void Skip(size_t bytes) { at_ += bytes; }

 private:
  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

Template Load(int id) {
  Template t;
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
  if (found == nullptr) {
    ADD_FAILURE() << "no dialog template " << id;
    return t;
  }
  const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
  Reader r(data, ::SizeofResource(nullptr, found));
  EXPECT_EQ(r.Word(), 1) << "template " << id << " is not extended";
  EXPECT_EQ(r.Word(), 0xFFFF);
  r.Dword();  // help id
  t.exStyle = r.Dword();
  t.style = r.Dword();
  const int count = r.Word();
  t.x = r.Short();
  t.y = r.Short();
  t.cx = r.Short();
  t.cy = r.Short();
  EXPECT_EQ(r.NameOrOrdinal(), "") << "menu";
  EXPECT_EQ(r.NameOrOrdinal(), "") << "class";
  t.caption = r.Text();
  if (t.style & DS_SETFONT) {
    t.pointSize = r.Word();
    r.Word();  // weight
    r.Word();  // italic, charset
    t.font = r.Text();
  }
  for (int i = 0; i < count && r.ok(); ++i) {
    r.AlignDword();
    Item item;
    r.Dword();  // help id
    item.exStyle = r.Dword();
    item.style = r.Dword();
    item.x = r.Short();
    item.y = r.Short();
    item.cx = r.Short();
    item.cy = r.Short();
    item.id = static_cast<int>(r.Dword());
    item.className = r.NameOrOrdinal();
    item.text = r.NameOrOrdinal();
    r.Skip(r.Word());  // creation data
    t.items.push_back(item);
  }
  EXPECT_TRUE(r.ok()) << "template " << id << " is cut short";
  return t;
}

std::string Atom(WORD atom) {
  return "#" + std::to_string(atom);
}

// What a control must be: place and text exactly, and the style bits under `mask`.
struct Expected {
  int id;
  std::string className;
  std::string text;
  int x, y, cx, cy;
  DWORD style;
  DWORD mask;
};

constexpr DWORD All = 0xFFFFFFFF;
constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
// Button and static kinds live in the low bits; the window bits that matter for tabbing above.
constexpr DWORD KindAndTabbing = 0x0F | Child | WS_TABSTOP | WS_GROUP | WS_DISABLED;
constexpr DWORD StaticKind = SS_TYPEMASK | Child;
constexpr DWORD DialogFrame = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD ReadOnlyField = Child | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY;
constexpr DWORD FieldMask =
    ReadOnlyField | WS_TABSTOP | ES_MULTILINE | ES_NUMBER | ES_PASSWORD | WS_DISABLED;

void ExpectItems(const Template& t, const std::vector<Expected>& expected) {
  ASSERT_EQ(t.items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const Item& item = t.items[i];
    const Expected& e = expected[i];
    SCOPED_TRACE("control " + std::to_string(i) + " \"" + e.text + "\"");
    EXPECT_EQ(item.id, e.id);
    EXPECT_EQ(lstrcmpiA(item.className.c_str(), e.className.c_str()), 0)
        << item.className << " is not " << e.className;
    EXPECT_EQ(item.text, e.text);
    EXPECT_EQ(item.x, e.x);
    EXPECT_EQ(item.y, e.y);
    EXPECT_EQ(item.cx, e.cx);
    EXPECT_EQ(item.cy, e.cy);
    EXPECT_EQ(item.style & e.mask, e.style) << std::hex << item.style;
  }
}

void ExpectFrame(const Template& t, const char* caption, int cx, int cy) {
  EXPECT_EQ(t.caption, caption);
  EXPECT_EQ(t.x, 0);
  EXPECT_EQ(t.y, 0);
  EXPECT_EQ(t.cx, cx);
  EXPECT_EQ(t.cy, cy);
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.font, "MS Sans Serif");
}

TEST(Templates, AboutBox) {
  const Template t = Load(IDD_ABOUTBOX);
  ExpectFrame(t, "About Varistep Monitor", 264, 79);
  EXPECT_EQ(t.style, DialogFrame);
  EXPECT_EQ(t.exStyle, 0u);
  ExpectItems(
      t,
      {
          {IDC_STATIC, "Static", "#128", 11, 17, 21, 20, Child | SS_ICON, StaticKind},
          {IDC_STATIC, Atom(Static), "Corvalith Zephrin Varistep Monitor Version 0.90 Beta", 39, 18,
           179, 8, Child | SS_LEFT | SS_NOPREFIX | WS_GROUP, StaticKind | SS_NOPREFIX | WS_GROUP},
          {IDC_STATIC, Atom(Static), "Copyright (C) 2026 Corvalith", 39, 33, 140, 8,
           Child | SS_LEFT | WS_GROUP, StaticKind | WS_GROUP},
          {IDOK, Atom(Button), "OK", 106, 59, 50, 14,
           Child | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, KindAndTabbing},
      });
}

TEST(Templates, MonitorWindow) {
  const Template t = Load(IDD_MONITOR);
  ExpectFrame(t, "Varistep Monitor", 110, 36);
  EXPECT_EQ(t.style, 0x90C80040u);
  EXPECT_EQ(t.exStyle, 0x00040080u);
  ExpectItems(t, {{IDC_CHART, "Static", "", 0, 0, 110, 36, 0x50001104, All}});
}

TEST(Templates, CpuInformation) {
  const Template t = Load(IDD_CPUINFO);
  ExpectFrame(t, "CPU Information", 264, 201);
  EXPECT_EQ(t.style, DialogFrame);
  const std::string label = Atom(Static), field = Atom(Edit);
  const DWORD separator = Child | SS_GRAYFRAME | SS_SUNKEN | WS_BORDER;
  ExpectItems(
      t,
      {
          {IDC_STATIC, label, "CPU Name:", 2, 4, 38, 8, Child | SS_LEFT, StaticKind},
          {IDC_CPU_NAME, field, "", 48, 2, 214, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, label, "CPU Type:", 2, 18, 36, 8, Child | SS_LEFT, StaticKind},
          {IDC_CPU_TYPE, field, "", 48, 16, 48, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, label, "L2 Cache Size:", 100, 18, 50, 8, Child | SS_LEFT, StaticKind},
          {IDC_L2_CACHE_SIZE, field, "", 152, 16, 48, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, label, "CPU Rev. ID:", 2, 32, 44, 8, Child | SS_LEFT, StaticKind},
          {IDC_CPU_REVISION, field, "", 48, 30, 48, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, label, "CPU ID:", 100, 32, 28, 8, Child | SS_LEFT, StaticKind},
          {IDC_CPU_ID, field, "", 152, 30, 48, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, label, "XTL Version:", 2, 46, 44, 8, Child | SS_LEFT, StaticKind},
          {IDC_XTL_VERSION, field, "", 48, 44, 48, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, label, "PSN:", 100, 46, 20, 8, Child | SS_LEFT, StaticKind},
          {IDC_SERIAL_NUMBER, field, "", 152, 44, 110, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, "Static", "", 2, 60, 260, 1, separator, separator | SS_TYPEMASK},
          {IDC_STATIC, label, "Varistep Steps:", 2, 66, 54, 8, Child | SS_LEFT, StaticKind},
          {IDC_STEP_LIST, "SysListView32", "", 2, 76, 260, 66,
           Child | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_ALIGNLEFT, All},
          {IDC_STATIC, label, "Varistep Policy:", 2, 148, 53, 8, Child | SS_LEFT, StaticKind},
          {IDC_POLICY, field, "", 58, 146, 58, 12, ReadOnlyField | WS_TABSTOP, FieldMask},
          {IDC_STATIC, label, "Frequency Bitmap:", 122, 148, 60, 8, Child | SS_LEFT, StaticKind},
          {IDC_FREQUENCY_BITMAP, field, "", 184, 146, 58, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, label, "Voltage Bitmap:", 122, 164, 52, 8, Child | SS_LEFT, StaticKind},
          {IDC_VOLTAGE_BITMAP, field, "", 184, 162, 58, 12, ReadOnlyField, FieldMask},
          {IDC_STATIC, "Static", "", 2, 178, 260, 1, separator, separator | SS_TYPEMASK},
          // Not the standard OK id and not the default button.
          {IDC_CPUINFO_OK, Atom(Button), "OK", 107, 184, 50, 14, Child | BS_PUSHBUTTON | WS_TABSTOP,
           KindAndTabbing},
      });
}

TEST(Templates, Properties) {
  const Template t = Load(IDD_PROPERTIES);
  ExpectFrame(t, "Properties", 172, 122);
  EXPECT_EQ(t.style, DialogFrame);
  const std::string button = Atom(Button);
  const DWORD check = Child | BS_AUTOCHECKBOX | WS_TABSTOP;
  ExpectItems(
      t, {
             {IDC_ALWAYS_ON_TOP, button, "Always on top", 10, 14, 60, 10, check, KindAndTabbing},
             {IDC_SPDSEN_ICON, button, "Show speed-sensitive icon on Systray", 10, 28, 135, 10,
              check, KindAndTabbing},
             {IDC_ABOUT_BOX, button, "Launch with  \"About\" window", 10, 42, 110, 10, check,
              KindAndTabbing},
             {IDC_START_MIN, button, "Start Minimized to Systray", 10, 56, 96, 10, check,
              KindAndTabbing},
             {IDC_INTERVAL, Atom(Edit), "", 94, 84, 46, 12,
              Child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, FieldMask},
             {IDC_INTERVAL_SPIN, "msctls_updown32", "", 134, 84, 11, 14,
              Child | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS |
                  UDS_NOTHOUSANDS,
              All},
             {IDC_PROPERTIES_OK, button, "OK", 22, 106, 50, 14,
              Child | BS_DEFPUSHBUTTON | WS_TABSTOP, KindAndTabbing},
             {IDC_PROPERTIES_CANCEL, button, "Cancel", 99, 106, 50, 14,
              Child | BS_PUSHBUTTON | WS_TABSTOP, KindAndTabbing},
             {IDC_STATIC, Atom(Static), "GUI Update Interval (ms):", 10, 86, 82, 10,
              Child | SS_LEFT, StaticKind},
             {IDC_STATIC, button, "Varistep Monitor Settings:", 2, 2, 168, 100, Child | BS_GROUPBOX,
              0x0F | Child | WS_TABSTOP},
             {IDC_SHOW_MIN_MAX, button, "Show Min and Max on stripchart", 10, 70, 117, 10, check,
              KindAndTabbing},
         });
  EXPECT_EQ(IDC_PROPERTIES_OK, 3);
  EXPECT_EQ(IDC_PROPERTIES_CANCEL, 4);
}

TEST(Templates, ManualSelection) {
  const Template t = Load(IDD_MANUALSELECTION);
  ExpectFrame(t, "Manual Selection", 155, 71);
  EXPECT_EQ(t.style, DialogFrame);
  const std::string button = Atom(Button);
  const DWORD combo = Child | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
  const DWORD comboMask = combo | CBS_SORT | 0x3 | WS_HSCROLL;
  const DWORD check = Child | BS_AUTOCHECKBOX | WS_TABSTOP;
  ExpectItems(
      t, {
             {IDOK, button, "OK", 15, 50, 50, 14, Child | BS_DEFPUSHBUTTON | WS_TABSTOP,
              KindAndTabbing},
             {IDCANCEL, button, "Cancel", 91, 50, 50, 14, Child | BS_PUSHBUTTON | WS_TABSTOP,
              KindAndTabbing},
             {IDC_MAX_COMBO, Atom(ComboBox), "", 45, 7, 48, 59, combo, comboMask},
             {IDC_MIN_COMBO, Atom(ComboBox), "", 45, 26, 48, 59, combo, comboMask},
             {IDC_LOCK_MAX, button, "Lock Max", 101, 13, 47, 8, check, KindAndTabbing},
             {IDC_LOCK_MIN, button, "Lock Min", 101, 26, 45, 8, check, KindAndTabbing},
             {IDC_STATIC, Atom(Static), "Max Limit:", 8, 10, 32, 8, Child | SS_LEFT, StaticKind},
             {IDC_STATIC, Atom(Static), "Min Limit:", 8, 28, 30, 8, Child | SS_LEFT, StaticKind},
         });
}

// Each template made into a window: every control exists with its class, and the client area
// measures the template's size in dialog units.
TEST(Templates, EveryTemplateMakesAWindowOfItsSize) {
  ui::StartUp();
  for (int id : {IDD_ABOUTBOX, IDD_MONITOR, IDD_CPUINFO, IDD_PROPERTIES, IDD_MANUALSELECTION}) {
    SCOPED_TRACE(id);
    const Template t = Load(id);
    ui::Dialog dialog(id, nullptr);
    ASSERT_TRUE(dialog.Create());
    char caption[64] = {};
    ::GetWindowTextA(dialog.Hwnd(), caption, sizeof caption);
    EXPECT_EQ(t.caption, caption);
    RECT units = {0, 0, t.cx, t.cy};
    ::MapDialogRect(dialog.Hwnd(), &units);
    RECT client = {};
    ::GetClientRect(dialog.Hwnd(), &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    for (const Item& item : t.items) {
      if (item.id == IDC_STATIC) continue;
      EXPECT_NE(::GetDlgItem(dialog.Hwnd(), item.id), nullptr) << item.id;
    }
  }
}

TEST(Templates, CommonControlsComeUpAsDescribed) {
  ui::StartUp();
  ui::Dialog cpu(IDD_CPUINFO, nullptr);
  ASSERT_TRUE(cpu.Create());
  HWND list = ::GetDlgItem(cpu.Hwnd(), IDC_STEP_LIST);
  char className[32] = {};
  ::GetClassNameA(list, className, sizeof className);
  EXPECT_STREQ(className, "SysListView32");
  EXPECT_EQ(::GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);

  ui::Dialog properties(IDD_PROPERTIES, nullptr);
  ASSERT_TRUE(properties.Create());
  HWND spin = ::GetDlgItem(properties.Hwnd(), IDC_INTERVAL_SPIN);
  ::GetClassNameA(spin, className, sizeof className);
  EXPECT_STREQ(className, "msctls_updown32");
  // The spin control took the interval field, the control before it, as its buddy.
  EXPECT_EQ(reinterpret_cast<HWND>(::SendMessageA(spin, UDM_GETBUDDY, 0, 0)),
            ::GetDlgItem(properties.Hwnd(), IDC_INTERVAL));

  ui::Dialog manual(IDD_MANUALSELECTION, nullptr);
  ASSERT_TRUE(manual.Create());
  for (int id : {IDC_MAX_COMBO, IDC_MIN_COMBO}) {
    HWND combo = ::GetDlgItem(manual.Hwnd(), id);
    for (const char* text : {"700MHz", "300MHz", "500MHz"}) {
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    // Not sorted: item i stays step i.
    char item[16] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "300MHz");
  }
}

}  // namespace
