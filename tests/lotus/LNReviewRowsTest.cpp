// The Lotus Notes review page's rows come from the attached Notes records.
#include <gtest/gtest.h>

#include "app/ReviewModel.h"
#include "lotus/LNRecords.h"

namespace {

QString Cell(int type, const void* record, int column, bool forSort = false) {
  return ReviewModel::LotusNotesKind(type).cell(record, column, forSort);
}

TEST(LNReviewRows, TasksShowTheNotesPriorityWordAndSortHighFirst) {
  struct {
    std::int32_t priority;
    const char* word;
    const char* key;
  } cases[] = {{0, "High", "0"}, {1, "Normal", "1"}, {2, "Low", "2"}, {7, "Normal", "1"}};
  for (const auto& c : cases) {
    LNTaskRecord native;
    native.Priority = c.priority;
    native.Subject = "native subject";
    native.Body = "first line\r\nsecond";
    CommonTask common;
    common.Subject = "common subject";
    common.Importance = 2;  // the row must not read this
    common.NativeRecord = NativeAttachment::Borrow(&native);
    EXPECT_EQ(Cell(2, &common, 1), QString::fromLatin1(c.word)) << c.priority;
    EXPECT_EQ(Cell(2, &common, 1, true), QString::fromLatin1(c.key)) << c.priority;
    EXPECT_EQ(Cell(2, &common, 0), QStringLiteral("native subject"));
    EXPECT_EQ(Cell(2, &common, 3), QStringLiteral("first line"));
  }
}

TEST(LNReviewRows, ContactsAndEventsFromTheNativeAndTheCommonRecordWithoutOne) {
  LNContactRecord native;
  native.DisplayName = "A very long display name beyond the common field's 31 bytes";
  native.BusinessEmail = "ann@example.org";
  CommonContact common;
  common.DisplayName = native.DisplayName.view();  // cut to 31 bytes
  common.NativeRecord = NativeAttachment::Borrow(&native);
  EXPECT_EQ(Cell(0, &common, 0).toStdString(), std::string(native.DisplayName.view()));
  EXPECT_EQ(Cell(0, &common, 1), QStringLiteral("ann@example.org"));

  CommonContact made;  // made elsewhere: no Notes record
  made.FirstName = "Bo";
  EXPECT_EQ(Cell(0, &made, 0), QStringLiteral("Bo"));

  LNEventRecord event;
  event.Dates[LNEventRecord::kStart] = OleDate(46027.375);  // 09:00
  event.Dates[LNEventRecord::kEnd] = OleDate(46027.4375);   // 10:30
  CommonEvent e;
  e.NativeRecord = NativeAttachment::Borrow(&event);
  EXPECT_EQ(Cell(1, &e, 1), QStringLiteral("09:00:00"));
  EXPECT_EQ(Cell(1, &e, 2), QStringLiteral("10:30:00"));
  EXPECT_EQ(Cell(1, &e, 3), QStringLiteral("No"));
}

}  // namespace
