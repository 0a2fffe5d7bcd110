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

const TrayFlags Constructed = Make(1, 1, 0);
const TrayFlags Showing = Make(0, 0, 0);
const TrayFlags AddFailed = Make(1, 1, 1);
const TrayFlags ReaddFailed = Make(0, 0, 1);
const TrayFlags Removed = Make(1, 1, 0);

TEST(TrayState, StartsConstructed) {
  EXPECT_EQ(TrayFlags(), Constructed);
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
  EXPECT_EQ(tray::AfterCreation(Constructed, false, true, true), Showing);
  EXPECT_EQ(tray::AfterCreation(Constructed, true, true, true), Showing);
  EXPECT_EQ(tray::AfterCreation(Constructed, false, true, false), AddFailed);
  EXPECT_EQ(tray::AfterCreation(Showing, false, true, false), AddFailed);
  // A skipped add leaves the icon hidden and the other words as they were.
  EXPECT_EQ(tray::AfterCreation(Constructed, true, false, false), Make(1, 1, 0));
  EXPECT_EQ(tray::AfterCreation(AddFailed, true, false, false), Make(1, 1, 1));
  EXPECT_EQ(tray::AfterCreation(Showing, true, false, false), Make(1, 0, 0));
}

TEST(TrayState, CreationFieldFlags) {
  EXPECT_EQ(tray::CreationFieldFlags(false, false, false), 0x3u);
  EXPECT_EQ(tray::CreationFieldFlags(true, false, false), 0x7u);
  EXPECT_EQ(tray::CreationFieldFlags(false, true, false), 0x13u);
  EXPECT_EQ(tray::CreationFieldFlags(false, false, true), 0xBu);
  EXPECT_EQ(tray::CreationFieldFlags(true, true, true), 0x1Fu);
}

TEST(TrayState, ReaddTriedEverywhereButConstructedAndRemoved) {
  EXPECT_FALSE(tray::ReaddAttempted(Constructed));
  EXPECT_FALSE(tray::ReaddAttempted(Removed));
  EXPECT_TRUE(tray::ReaddAttempted(Showing));
  EXPECT_TRUE(tray::ReaddAttempted(AddFailed));
  EXPECT_TRUE(tray::ReaddAttempted(ReaddFailed));

  EXPECT_EQ(tray::AfterReadd(AddFailed, true), Showing);
  EXPECT_EQ(tray::AfterReadd(ReaddFailed, true), Showing);
  EXPECT_EQ(tray::AfterReadd(AddFailed, false), AddFailed);
  // The shell already has the icon: only the pending word changes.
  EXPECT_EQ(tray::AfterReadd(Showing, false), ReaddFailed);
}

TEST(TrayState, RemoveClearsPendingAndDeletesOnlyRegisteredIcons) {
  EXPECT_TRUE(tray::DeleteAttempted(Showing));
  EXPECT_TRUE(tray::DeleteAttempted(ReaddFailed));
  EXPECT_FALSE(tray::DeleteAttempted(AddFailed));
  EXPECT_FALSE(tray::DeleteAttempted(Removed));

  EXPECT_EQ(tray::AfterRemove(Showing, true, true), Removed);
  EXPECT_EQ(tray::AfterRemove(ReaddFailed, true, true), Removed);
  // A failed delete keeps the icon registered so a later remove tries again.
  EXPECT_EQ(tray::AfterRemove(Showing, true, false), Showing);
  EXPECT_EQ(tray::AfterRemove(ReaddFailed, true, false), Showing);
  // No call made: the add-failed state stops waiting for a re-add.
  EXPECT_EQ(tray::AfterRemove(AddFailed, false, false), Removed);
  EXPECT_FALSE(tray::ReaddAttempted(tray::AfterRemove(AddFailed, false, false)));
}

TEST(TrayState, IconChangesReachTheShellOnlyWhileShowing) {
  EXPECT_TRUE(tray::IconChangeSent(Showing));
  EXPECT_TRUE(tray::IconChangeSent(ReaddFailed));
  EXPECT_FALSE(tray::IconChangeSent(AddFailed));
  EXPECT_FALSE(tray::IconChangeSent(Constructed));

  EXPECT_EQ(tray::IconModifyFields, 0x2u);
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
