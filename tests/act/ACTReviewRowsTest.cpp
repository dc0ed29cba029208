#include <gtest/gtest.h>

#include <QGuiApplication>

#include "ACT/ACTRecords.h"
#include "app/ACTReviewRows.h"
#include "misc/CommonContact.h"
#include "misc/CommonTask.h"
#include "misc/CxDateTime.h"
#include "src/AppCommon.h"

namespace {

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "act_review_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
  return app;
}

QString Cell(ReviewModel& m, int row, int column) {
  return m.data(m.index(row, column), Qt::DisplayRole).toString();
}

// The rows show the ACT! records' own values; a common record without one shows its own.
TEST(ACTReviewRows, ContactsAndTasksFromTheACTRecords) {
  App();
  ACTContactRecord a;
  a.SetText(kACTFirstName, "Alice");
  a.SetText(kACTLastName, "Archer");
  a.SetText(kACTBusinessPhone, "555-1234");
  a.SetText(kACTBusinessPhoneExtension, "12");
  a.SetText(kACTBusinessEmail, "alice@archer.example");
  CommonContact withNative, without;
  withNative.DisplayName = "not shown";
  withNative.NativeRecord = NativeAttachment::Borrow(&a);
  without.DisplayName = "Common Carol";
  ReviewModel contacts(ACTReviewKind(kTypeContacts));
  contacts.SetRecords({&withNative, &without});
  EXPECT_EQ(Cell(contacts, 0, 0), "Alice Archer");
  EXPECT_EQ(Cell(contacts, 0, 1), "alice@archer.example");
  EXPECT_EQ(Cell(contacts, 0, 2), "555-1234x12");
  EXPECT_EQ(Cell(contacts, 1, 0), "Common Carol");

  const struct {
    std::int32_t priority;
    const char* word;
  } rows[] = {{0, "High"}, {1, "Normal"}, {2, "Low"}, {5, "Normal"}};
  std::vector<ACTTaskRecord> natives(4);
  std::vector<CommonTask> tasks(4);
  std::vector<void*> records;
  for (std::size_t i = 0; i < 4; ++i) {
    natives[i].Priority = rows[i].priority;
    natives[i].Body = "first line\r\nsecond";
    tasks[i].Importance = 1;  // the common value is not what the page shows
    tasks[i].NativeRecord = NativeAttachment::Borrow(&natives[i]);
    records.push_back(&tasks[i]);
  }
  ASSERT_TRUE(
      CxDateTime::SystemTimeToOleDate(SYSTEMTIME{2009, 4, 0, 10, 0, 0, 0, 0}, natives[0].DueDate));
  ReviewModel model(ACTReviewKind(kTypeTasks));
  model.SetRecords(records);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Cell(model, i, 1), rows[i].word) << i;
  EXPECT_EQ(Cell(model, 0, 2), "04/10/2009");
  EXPECT_EQ(Cell(model, 1, 2), "");
  EXPECT_EQ(Cell(model, 0, 3), "first line");
}

}  // namespace
