#include "tray/TrayState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using tray::TrayFlags;

TrayFlags Make(int32_t hidden, int32_t removed, int32_t addPending) {
  TrayFlags flags;
  flags.hidden = hidden;
  flags.removed = removed;
  flags.addPending = addPending;
  return flags;
}

const TrayFlags kConstructed = Make(1, 1, 0);
const TrayFlags kShowing = Make(0, 0, 0);
const TrayFlags kAddFailed = Make(1, 1, 1);
const TrayFlags kReaddFailed = Make(0, 0, 1);
const TrayFlags kRemoved = Make(1, 1, 0);

TEST(TrayState, StartsConstructed) {
  EXPECT_EQ(TrayFlags(), kConstructed);
}

TEST(TrayState, ExtendedShellIsNtFiveOrLater) {
  EXPECT_TRUE(tray::IsExtendedShell(2, 5));
  EXPECT_TRUE(tray::IsExtendedShell(2, 6));
  EXPECT_TRUE(tray::IsExtendedShell(2, 10));
  EXPECT_FALSE(tray::IsExtendedShell(2, 4));  // NT 4
  EXPECT_FALSE(tray::IsExtendedShell(1, 5));  // 9x family
  EXPECT_FALSE(tray::IsExtendedShell(0, 0));  // failed query: zeroed record
  EXPECT_FALSE(tray::IsExtendedShell(3, 5));  // CE
}

TEST(TrayState, CreationSkipsTheAddOnlyForHiddenStartOnOldShell) {
  EXPECT_TRUE(tray::CreationAddsIcon(false, false));
  EXPECT_TRUE(tray::CreationAddsIcon(false, true));
  EXPECT_TRUE(tray::CreationAddsIcon(true, true));
  EXPECT_FALSE(tray::CreationAddsIcon(true, false));
}

TEST(TrayState, CreationOutcomes) {
  // A made add decides all three, whatever startHidden was.
  EXPECT_EQ(tray::AfterCreation(kConstructed, false, true, true), kShowing);
  EXPECT_EQ(tray::AfterCreation(kConstructed, true, true, true), kShowing);
  EXPECT_EQ(tray::AfterCreation(kConstructed, false, true, false), kAddFailed);
  EXPECT_EQ(tray::AfterCreation(kShowing, false, true, false), kAddFailed);
  // A skipped add leaves the icon hidden and the other words as they were.
  EXPECT_EQ(tray::AfterCreation(kConstructed, true, false, false), Make(1, 1, 0));
  EXPECT_EQ(tray::AfterCreation(kAddFailed, true, false, false), Make(1, 1, 1));
  EXPECT_EQ(tray::AfterCreation(kShowing, true, false, false), Make(1, 0, 0));
}

TEST(TrayState, CreationFieldFlags) {
  EXPECT_EQ(tray::CreationFieldFlags(false, false, false), 0x3u);
  EXPECT_EQ(tray::CreationFieldFlags(true, false, false), 0x7u);
  EXPECT_EQ(tray::CreationFieldFlags(false, true, false), 0x13u);
  EXPECT_EQ(tray::CreationFieldFlags(false, false, true), 0xBu);
  EXPECT_EQ(tray::CreationFieldFlags(true, true, true), 0x1Fu);
}

TEST(TrayState, ReaddTriedEverywhereButConstructedAndRemoved) {
  EXPECT_FALSE(tray::ReaddAttempted(kConstructed));
  EXPECT_FALSE(tray::ReaddAttempted(kRemoved));
  EXPECT_TRUE(tray::ReaddAttempted(kShowing));
  EXPECT_TRUE(tray::ReaddAttempted(kAddFailed));
  EXPECT_TRUE(tray::ReaddAttempted(kReaddFailed));

  EXPECT_EQ(tray::AfterReadd(kAddFailed, true), kShowing);
  EXPECT_EQ(tray::AfterReadd(kReaddFailed, true), kShowing);
  EXPECT_EQ(tray::AfterReadd(kAddFailed, false), kAddFailed);
  // The shell already has the icon: only the pending word changes.
  EXPECT_EQ(tray::AfterReadd(kShowing, false), kReaddFailed);
}

TEST(TrayState, RemoveClearsPendingAndDeletesOnlyRegisteredIcons) {
  EXPECT_TRUE(tray::DeleteAttempted(kShowing));
  EXPECT_TRUE(tray::DeleteAttempted(kReaddFailed));
  EXPECT_FALSE(tray::DeleteAttempted(kAddFailed));
  EXPECT_FALSE(tray::DeleteAttempted(kRemoved));

  EXPECT_EQ(tray::AfterRemove(kShowing, true, true), kRemoved);
  EXPECT_EQ(tray::AfterRemove(kReaddFailed, true, true), kRemoved);
  // A failed delete keeps the icon registered so a later remove tries again.
  EXPECT_EQ(tray::AfterRemove(kShowing, true, false), kShowing);
  EXPECT_EQ(tray::AfterRemove(kReaddFailed, true, false), kShowing);
  // No call made: the add-failed state stops waiting for a re-add.
  EXPECT_EQ(tray::AfterRemove(kAddFailed, false, false), kRemoved);
  EXPECT_FALSE(tray::ReaddAttempted(tray::AfterRemove(kAddFailed, false, false)));
}

TEST(TrayState, IconChangesReachTheShellOnlyWhileShowing) {
  EXPECT_TRUE(tray::IconChangeSent(kShowing));
  EXPECT_TRUE(tray::IconChangeSent(kReaddFailed));
  EXPECT_FALSE(tray::IconChangeSent(kAddFailed));
  EXPECT_FALSE(tray::IconChangeSent(kConstructed));

  EXPECT_EQ(tray::kIconModifyFields, 0x2u);
  EXPECT_EQ(tray::FieldFlagsAfterIconModify(0x5u), 0x7u);
  EXPECT_EQ(tray::FieldFlagsAfterIconModify(0x17u), 0x17u);
}

TEST(TrayState, BalloonTimeoutSaturates) {
  EXPECT_EQ(tray::BalloonTimeoutMs(10), 10000u);
  EXPECT_EQ(tray::BalloonTimeoutMs(0), 0u);
  EXPECT_EQ(tray::BalloonTimeoutMs(4294967u), 4294967000u);
  EXPECT_EQ(tray::BalloonTimeoutMs(4294968u), 0xFFFFFFFFu);
  EXPECT_EQ(tray::BalloonTimeoutMs(0xFFFFFFFFu), 0xFFFFFFFFu);
}

// Shift-JIS lead bytes.
bool ShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool FieldIsZeroFrom(const char* field, size_t from, size_t size) {
  for (size_t i = from; i < size; ++i) {
    if (field[i] != '\0') return false;
  }
  return true;
}

TEST(TrayTextCopy, ShortTextCopiedAndRestZeroed) {
  char field[128];
  std::memset(field, 'x', sizeof(field));
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), "Varistep Monitor", &ShiftJisLead), 16u);
  EXPECT_STREQ(field, "Varistep Monitor");
  EXPECT_TRUE(FieldIsZeroFrom(field, 16, sizeof(field)));
}

TEST(TrayTextCopy, LongTextCutTo127AndTerminated) {
  const std::string text(200, 'a');
  char field[128];
  std::memset(field, 'x', sizeof(field));
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), text.c_str(), &ShiftJisLead), 127u);
  EXPECT_EQ(std::string(field), std::string(127, 'a'));
  EXPECT_EQ(field[127], '\0');
}

TEST(TrayTextCopy, NeverSplitsADoubleByteCharacter) {
  char field[8];
  // 5 single bytes then a two-byte character at offsets 5..6: fits exactly in 7 bytes.
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), "abcde\x82\xA0z", &ShiftJisLead), 7u);
  EXPECT_EQ(std::string(field), "abcde\x82\xA0");

  // Shifted by one: the lead byte would land on the last free byte, so it is left out.
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), "abcdef\x82\xA0", &ShiftJisLead), 6u);
  EXPECT_EQ(std::string(field), "abcdef");
  EXPECT_TRUE(FieldIsZeroFrom(field, 6, sizeof(field)));

  // A trail byte that looks like a lead byte is still taken as the trail.
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), "\x81\x81\x81\x81z", &ShiftJisLead), 5u);
  EXPECT_EQ(std::string(field), "\x81\x81\x81\x81z");
}

TEST(TrayTextCopy, WithoutPredicateBytesAreSingle) {
  char field[8];
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), "abcdef\x82\xA0", nullptr), 7u);
  EXPECT_EQ(std::string(field), "abcdef\x82");
}

TEST(TrayTextCopy, BadInputGetsDefinedResults) {
  char field[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), nullptr, &ShiftJisLead), 0u);
  EXPECT_TRUE(FieldIsZeroFrom(field, 0, sizeof(field)));

  // A lead byte with no trail before the terminator is dropped.
  EXPECT_EQ(tray::CopyMultibyteText(field, sizeof(field), "a\x82", &ShiftJisLead), 1u);
  EXPECT_STREQ(field, "a");

  EXPECT_EQ(tray::CopyMultibyteText(field, 0, "abc", &ShiftJisLead), 0u);
  EXPECT_EQ(field[0], 'a');  // untouched
  EXPECT_EQ(tray::CopyMultibyteText(nullptr, 4, "abc", &ShiftJisLead), 0u);

  char one[1] = {'x'};
  EXPECT_EQ(tray::CopyMultibyteText(one, sizeof(one), "abc", &ShiftJisLead), 0u);
  EXPECT_EQ(one[0], '\0');
}

}  // namespace
