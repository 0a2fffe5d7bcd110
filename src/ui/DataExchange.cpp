#include "ui/DataExchange.h"

#include "base/FormatText.h"
#include "base/ParseUnsigned.h"
#include "resource.h"
#include "ui/App.h"
#include "ui/CheckValue.h"
#include "ui/Dialog.h"

namespace ui {

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate)
    : dialog_(dialog), saving_(saveAndValidate) {}

HWND DataExchange::Item(int id) {
  if (failed_) return nullptr;
  HWND item = ::GetDlgItem(dialog_.Hwnd(), id);
  if (item == nullptr) failed_ = true;
  return item;
}

namespace {

void ReadItemText(HWND item, char* text, size_t size) {
  const int copied = ::GetWindowTextA(item, text, static_cast<int>(size));
  text[copied > 0 ? static_cast<size_t>(copied) : 0] = '\0';
}

}  // namespace

void DataExchange::TextBuffer(int id, char* text, size_t size) {
  HWND item = Item(id);
  if (item == nullptr) return;
  if (saving_) {
    ReadItemText(item, text, size);
  } else {
    ::SetWindowTextA(item, text);
  }
}

void DataExchange::Check(int id, int& value) {
  HWND item = Item(id);
  if (item == nullptr) return;
  if (saving_) {
    value = CheckValueFromState(static_cast<int>(::SendMessageA(item, BM_GETCHECK, 0, 0)));
  } else {
    value = CheckValueToShow(value);
    ::SendMessageA(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DataExchange::ComboIndex(int id, int& index) {
  HWND item = Item(id);
  if (item == nullptr) return;
  if (saving_) {
    index = static_cast<int>(::SendMessageA(item, CB_GETCURSEL, 0, 0));
  } else {
    // Clear the selection explicitly rather than rely on how the combo takes a bad index.
    const int count = static_cast<int>(::SendMessageA(item, CB_GETCOUNT, 0, 0));
    const int shown = index >= 0 && index < count ? index : -1;
    ::SendMessageA(item, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);
  }
}

void DataExchange::Control(int id, Window& member) {
  HWND item = Item(id);
  if (item == nullptr) return;
  if (member.Hwnd() != item) {
    member.Detach();
    member.Attach(item);
  }
  dialog_.BindControl(member);
}

void DataExchange::UInt(int id, uint32_t& value) {
  HWND item = Item(id);
  if (item == nullptr) return;
  if (!saving_) {
    char text[16];
    FormatText(text, sizeof text, "%u", static_cast<unsigned>(value));
    ::SetWindowTextA(item, text);
    return;
  }
  // The parse reads no further than its first 31 characters.
  char text[32];
  ReadItemText(item, text, sizeof text);
  if (base::ParseUnsignedField(text, value)) return;
  AppMessageBox(dialog_.ShellCalls(), IDS_POSITIVE_INTEGER, MB_OK);
  ::SendMessageA(dialog_.Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
  ::SendMessageA(item, EM_SETSEL, 0, -1);
  failed_ = true;
}

}  // namespace ui
