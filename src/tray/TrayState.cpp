#include "tray/TrayState.h"

#include <cstring>
#include <limits>

namespace tray {

bool IsExtendedShell(uint32_t platformId, uint32_t majorVersion) {
  return platformId == PlatformWin32Nt && majorVersion >= 5;
}

bool CreationAddsIcon(bool startHidden, bool extendedShell) {
  return !(startHidden && !extendedShell);
}

TrayFlags AfterCreation(TrayFlags before, bool startHidden, bool addMade, bool added) {
  TrayFlags after = before;
  after.hidden = startHidden ? 1 : 0;
  if (addMade) {
    int32_t failed = added ? 0 : 1;
    after.hidden = failed;
    after.removed = failed;
    after.addPending = failed;
  }
  return after;
}

uint32_t CreationFieldFlags(bool tipNotEmpty, bool balloon, bool hiddenState) {
  uint32_t fields = NifMessage | NifIcon;
  if (tipNotEmpty) fields |= NifTip;
  if (balloon) fields |= NifInfo;
  if (hiddenState) fields |= NifState;
  return fields;
}

bool ReaddAttempted(const TrayFlags& flags) {
  return !(flags.addPending == 0 && flags.hidden != 0);
}

TrayFlags AfterReadd(TrayFlags before, bool added) {
  TrayFlags after = before;
  if (added) {
    after.addPending = 0;
    after.removed = 0;
    after.hidden = 0;
  } else {
    after.addPending = 1;
  }
  return after;
}

bool DeleteAttempted(const TrayFlags& flags) {
  return flags.removed == 0;
}

TrayFlags AfterRemove(TrayFlags before, bool deleteMade, bool deleted) {
  TrayFlags after = before;
  after.addPending = 0;
  if (deleteMade && deleted) {
    after.hidden = 1;
    after.removed = 1;
  }
  return after;
}

bool IconChangeSent(const TrayFlags& flags) {
  return flags.hidden == 0;
}

uint32_t FieldFlagsAfterIconModify(uint32_t saved) {
  return saved | NifIcon;
}

uint32_t BalloonTimeoutMs(uint32_t seconds) {
  constexpr uint32_t Max = std::numeric_limits<uint32_t>::max();
  return seconds > Max / 1000 ? Max : seconds * 1000;
}

size_t CopyMultibyteText(char* dest, size_t destSize, const char* src,
                         LeadBytePredicate isLeadByte) {
  if (dest == nullptr || destSize == 0) return 0;
  std::memset(dest, 0, destSize);
  if (src == nullptr) return 0;
  const size_t limit = destSize - 1;
  size_t copied = 0;
  while (copied < limit && src[copied] != '\0') {
    auto byte = static_cast<unsigned char>(src[copied]);
    if (isLeadByte != nullptr && isLeadByte(byte)) {
      // A character is copied whole or not at all.
      if (copied + 1 >= limit || src[copied + 1] == '\0') break;
      dest[copied] = src[copied];
      dest[copied + 1] = src[copied + 1];
      copied += 2;
    } else {
      dest[copied] = src[copied];
      ++copied;
    }
  }
  return copied;
}

}  // namespace tray
