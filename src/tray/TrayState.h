// Portable rules of the notification-area icon: when the shell is called, what the three state
// words become afterwards, which record fields each call carries, and how texts are copied into
// the fixed-size fields. The Win32 tray window applies these; the rules themselves need no shell.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tray {

// Field flags of the shell's icon record, with the platform's values.
constexpr uint32_t NifMessage = 0x1;
constexpr uint32_t NifIcon = 0x2;
constexpr uint32_t NifTip = 0x4;
constexpr uint32_t NifState = 0x8;
constexpr uint32_t NifInfo = 0x10;

// The icon's bookkeeping, one word each as the tray keeps them (0 or 1).
//   hidden:     the icon is not showing in the notification area
//   removed:    the icon is not registered with the shell
//   addPending: the last add failed, so the next re-add must try even while hidden
struct TrayFlags {
  int32_t hidden = 1;
  int32_t removed = 1;
  int32_t addPending = 0;
};

inline bool operator==(const TrayFlags& a, const TrayFlags& b) {
  return a.hidden == b.hidden && a.removed == b.removed && a.addPending == b.addPending;
}
inline bool operator!=(const TrayFlags& a, const TrayFlags& b) {
  return !(a == b);
}

// Balloons and icon state are understood by NT-family shells from version 5 on.
constexpr uint32_t PlatformWin32Nt = 2;
bool IsExtendedShell(uint32_t platformId, uint32_t majorVersion);

// Creation adds the icon at once unless it starts hidden on a shell that cannot hide an icon.
bool CreationAddsIcon(bool startHidden, bool extendedShell);

// Flags after creation: `hidden` follows startHidden; an add made sets all three to its failure.
TrayFlags AfterCreation(TrayFlags before, bool startHidden, bool addMade, bool added);

// The fields a creation-time add carries: message and icon always, the rest when present.
uint32_t CreationFieldFlags(bool tipNotEmpty, bool balloon, bool hiddenState);

// A re-add (taskbar re-created, work area changed) is skipped only for an icon that is hidden
// and has no failed add behind it: the constructed and removed states.
bool ReaddAttempted(const TrayFlags& flags);
TrayFlags AfterReadd(TrayFlags before, bool added);

// Removal asks the shell only while the icon is registered. Every removal clears addPending, so a
// removed icon is not brought back by a later re-add; a failed delete keeps the other flags so
// the next removal tries again.
bool DeleteAttempted(const TrayFlags& flags);
TrayFlags AfterRemove(TrayFlags before, bool deleteMade, bool deleted);

// A new picture goes to the shell only while the icon shows; otherwise it is only recorded and
// appears with the next successful add.
bool IconChangeSent(const TrayFlags& flags);

// A modify of the picture carries the icon field alone; afterwards the record's flags are the
// saved ones with the icon field added.
constexpr uint32_t IconModifyFields = NifIcon;
uint32_t FieldFlagsAfterIconModify(uint32_t saved);

// Balloon time-out in milliseconds, saturating instead of wrapping.
uint32_t BalloonTimeoutMs(uint32_t seconds);

// Tells whether a byte opens a two-byte character in the current ANSI code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

// Copies src into a field of destSize bytes: at most destSize - 1 bytes, never splitting a lead
// byte from its trail byte (a lead byte whose trail would not fit, or is missing, is dropped),
// always terminated, the rest of the field zero-filled. A null src gives an empty text; a null
// predicate treats every byte as a single-byte character. Returns the bytes copied.
size_t CopyMultibyteText(char* dest, size_t destSize, const char* src,
                         LeadBytePredicate isLeadByte);

}  // namespace tray
