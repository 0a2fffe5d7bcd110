// Two-way exchange between a dialog's members and its controls: into the controls when the
// dialog is set up, back from them when the user confirms.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/FixedText.h"

namespace ui {

class Dialog;
class Window;

class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saveAndValidate);
  DataExchange(const DataExchange&) = delete;
  DataExchange& operator=(const DataExchange&) = delete;

  // True when reading the controls back into the members.
  // Once one exchange has failed the remaining ones do nothing.
  bool Failed() const { return failed_; }

  // The control's text, as much of it as the member holds.
  template <size_t N>
  void Text(int id, FixedText<N>& value) {
    TextBuffer(id, value.data(), N);
  }
  // A check box: 0 unchecked, 1 checked, 2 indeterminate; other values are shown, and kept, as 0.
  // Reads back 1 when checked, else 0.
  void Check(int id, int& value);
  // A combo box's current selection; -1 or an index past the end shows none, and none reads back
  // as -1.
  void ComboIndex(int id, int& index);
  // Binds the control's window to a member object, either way.
  void Control(int id, Window& member);
  // An edit field holding an unsigned decimal number. Text that is not one is refused with a
  // message box; the field gets the focus with its text selected and the exchange fails.
  void UInt(int id, uint32_t& value);

 private:
  // The control with this id; a missing one fails the exchange.
  HWND Item(int id);
  // Shows the buffer's text, or reads the control's text into it, cut at size - 1 bytes.
  void TextBuffer(int id, char* text, size_t size);

  Dialog& dialog_;
  bool saving_;
  bool failed_ = false;
};

}  // namespace ui
