#include <gtest/gtest.h>

#include <set>

#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"

namespace {

TEST(ContactFields, TableShape) {
  std::set<std::uint32_t> codes;
  for (const auto& d : kContactFields) codes.insert(d.code);
  EXPECT_EQ(codes.size(), 90u);
  for (std::uint32_t unassigned : {14u, 15u, 21u, 22u, 46u, 58u, 68u, 79u})
    EXPECT_EQ(FindContactField(unassigned), nullptr);
  // The nine custom labels stand last, after "Private".
  EXPECT_EQ(kContactFields[80].code, 98u);
  EXPECT_STREQ(kContactFields[81].label, "Custom Label 1");
  EXPECT_STREQ(kContactFields[89].label, "Custom Label 9");
  EXPECT_STREQ(FindContactField(41)->label, "Email");
  EXPECT_STREQ(FindContactField(71)->label, "Title");
}

// Every text row's size is the width of the field it names: writing a text longer than the
// width through FieldByCode keeps exactly width-1 bytes.
TEST(ContactFields, SizesMatchTheFieldsTheyName) {
  CommonContact c;
  for (const auto& d : kContactFields) {
    ContactFieldRef r = FieldByCode(c, d.code);
    switch (d.valueType) {
      case kValueText: {
        ASSERT_NE(r.text.field, nullptr) << d.label;
        EXPECT_EQ(r.text.width, d.size) << d.label;
        r.text.Assign(std::string(9000, 'x'));
        EXPECT_EQ(ContactText(c, d.code).size(), d.size - 1) << d.label;
        break;
      }
      case kValueDate:
        EXPECT_NE(r.date, nullptr) << d.label;
        break;
      default:
        EXPECT_NE(r.number, nullptr) << d.label;
        break;
    }
  }
  EXPECT_EQ(FieldByCode(c, 9).text.field, &c.WorkAddress.Street);
  EXPECT_EQ(FieldByCode(c, 23).text.field, &c.OtherAddress.Street);
  EXPECT_EQ(FieldByCode(c, 57).text.field, &c.Custom[8]);
  EXPECT_EQ(FieldByCode(c, 67).text.field, &c.CustomLabel[8]);
  EXPECT_EQ(FieldByCode(c, 58).text.field, nullptr);
}

TEST(CommonRecords, CopyIsWholeAndDeep) {
  CommonEvent e;
  e.Subject = "Review";
  e.Reminders[2].Amount = 15;
  e.NativeRecord = NativeAttachment::Own(std::vector<int>{1, 2});
  CommonEvent copy = e;
  e.Subject = "Changed";
  e.NativeRecord.As<std::vector<int>>()->push_back(3);
  EXPECT_EQ(copy.Subject, "Review");
  EXPECT_EQ(copy.Reminders[2].Amount, 15);
  EXPECT_EQ(copy.NativeRecord.As<std::vector<int>>()->size(), 2u);
}

}  // namespace
