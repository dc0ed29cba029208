#include <gtest/gtest.h>

#include "GoogleDataFiles.h"
#include "HelperTestUtil.h"
#include "google/CxGAddrUtil.h"

namespace {

GoogleContact Ann() {
  GoogleContact g;
  g.RecordTag = 71;
  g.ChangeState = 1;
  g.FirstName = "Ann";
  g.LastName = "Lee";
  g.EmailType = {kGEmailWork, kGEmailHome, kGEmailHome};
  g.Email[0] = "ann@work.example";
  g.Email[1] = "ann@home.example";
  g.Email[2] = "ann@second.example";
  g.PhoneType[0] = kGPhoneHome;
  g.Phone[0] = "555-0100";
  g.PhoneType[1] = 9;  // a phone type this program does not know
  g.Phone[1] = "555-0199";
  g.PassThrough = "etag:abc";
  return g;
}

GoogleContact Bob() {
  GoogleContact g;
  g.RecordTag = 72;
  g.FirstName = "Bob";
  g.LastName = "Ray";
  g.PrimaryEmail = "bob@primary.example";
  g.Note = "met at the fair";
  return g;
}

std::string ContactsFile(const std::vector<GoogleContact>& records) {
  return DataFileBytes(records,
                       [](CxFile& f, const GoogleContact& r) { return WriteGoogleContact(f, r); });
}

class Contacts : public ::testing::Test {
 protected:
  Contacts() : box_("GAddrUtil") {
    util_.SetFolder(box_.folder());
    util_.Runner().SetHelperFolder(box_.helperFolder());
  }
  HelperSandbox box_;
  CxGAddrUtil util_;
};

TEST_F(Contacts, LoadThroughTheHelperGivesCommonRecordsInStepWithTheNatives) {
  WriteFile(box_.file("load.dat"), ContactsFile({Ann(), Bob()}));
  box_.Switches("DataFrom=load.dat\nSaveParams=params.copy\n");
  util_.SetUser("ann@example.com");
  ASSERT_TRUE(util_.Load());
  EXPECT_FALSE(util_.HasError());

  auto runs = box_.Trace();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].op, "1");
  EXPECT_EQ(runs[0].arg, box_.file("GAddrParam.dat"));
  std::string params = ReadFile(box_.file("params.copy"));
  for (auto [key, value] : {std::pair{1002, "GAddr.dat"}, std::pair{1009, "GAddrErr.dat"},
                            std::pair{1010, "GAddrStatus.dat"}})
    EXPECT_NE(params.find(TextParam(key, value)), std::string::npos) << key;

  CommAddrMgr& m = util_.Records();
  ASSERT_EQ(m.Count(), 2u);
  ASSERT_EQ(util_.NativeCount(), 2u);
  const CommonContact* ann = m.Peek(0);
  EXPECT_EQ(ann->Email1, "ann@work.example");
  EXPECT_EQ(ann->Email2, "ann@home.example");  // the first home slot only
  EXPECT_EQ(ann->HomePhone, "555-0100");
  EXPECT_EQ(ann->SourceType, kSourceGoogle);
  EXPECT_EQ(ann->NativeRecord.As<GoogleContact>(), util_.NativeAt(0));
  EXPECT_EQ(m.Peek(1)->Email1, "bob@primary.example");
  EXPECT_EQ(m.Peek(1)->NativeRecord.As<GoogleContact>(), util_.NativeAt(1));
}

TEST_F(Contacts, AddOrUpdateThenSubmitWritesEveryRecordWithItsMarks) {
  std::string annBytes = ContactsFile({Ann()}).substr(4);
  std::string bobBytes = ContactsFile({Bob()}).substr(4);
  WriteFile(box_.file("load.dat"), ContactsFile({Ann(), Bob()}));
  box_.Switches("DataFrom=load.dat\nSaveSubmitted=sent.dat\n");
  ASSERT_TRUE(util_.Load());

  CommonContact same = *util_.Records().Peek(1);
  same.NativeRecord.reset();
  EXPECT_FALSE(util_.AddOrUpdate(&same, false));

  CommonContact diff = *util_.Records().Peek(0);
  diff.NativeRecord.reset();
  diff.HomePhone = "555-0111";
  diff.Email2 = "";
  diff.WorkAddress.State = "Rhode Island and Providence";  // longer than Google keeps
  EXPECT_TRUE(util_.AddOrUpdate(&diff, false));

  CommonContact fresh;
  fresh.FirstName = "Cy";
  fresh.LastName = "Dunn";
  fresh.MobilePhone = "555-0122";
  EXPECT_TRUE(util_.AddOrUpdate(&fresh, false));
  EXPECT_EQ(util_.Records().Count(), 3u);
  EXPECT_EQ(util_.Records().Peek(2)->NativeRecord.As<GoogleContact>(), util_.NativeAt(2));
  EXPECT_EQ(util_.Records().Peek(0)->HomePhone, "555-0111");

  ASSERT_TRUE(util_.Submit());
  std::string sent = ReadFile(box_.file("sent.dat"));
  auto back = DataFileRecords<GoogleContact>(box_.file("sent.dat"), ReadGoogleContact);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(sent.substr(0, 4), std::string("\x03\0\0\0", 4));
  // The unchanged loaded record travels back byte for byte, after the updated one.
  std::size_t updatedSize = ContactsFile({back[0]}).size() - 4;
  EXPECT_NE(updatedSize, annBytes.size());
  EXPECT_EQ(sent.substr(4 + updatedSize, bobBytes.size()), bobBytes);
  const GoogleContact& a = back[0];
  EXPECT_EQ(a.RecordTag, 71);
  EXPECT_EQ(a.ChangeState, 2);
  EXPECT_EQ(a.Action, 2);
  EXPECT_EQ(a.Phone[0], "555-0111");
  EXPECT_EQ(a.Email[1], "");                    // written, also when empty
  EXPECT_EQ(a.Email[2], "ann@second.example");  // untouched slots survive
  EXPECT_EQ(a.PhoneType[1], 9);
  EXPECT_EQ(a.Phone[1], "555-0199");
  EXPECT_EQ(a.PassThrough, "etag:abc");
  EXPECT_EQ(a.State[static_cast<std::size_t>(
                GoogleContact::FindSlot(a.AddressType.data(), 5, kGAddrWork))],
            "Rhode Island an");
  EXPECT_EQ(back[1].ChangeState, 0);
  const GoogleContact& c = back[2];
  EXPECT_EQ(c.RecordTag, 0);
  EXPECT_EQ(c.ChangeState, 2);
  EXPECT_EQ(c.Action, 1);
  EXPECT_EQ(c.AddressType[0], kGAddrWork);
  EXPECT_EQ(c.AddressType[1], kGAddrHome);
  EXPECT_EQ(c.AddressType[2], kGAddrOther);
  EXPECT_EQ(c.PrimaryPhone, "555-0122");

  // The whole file, as the writer makes it from the records read back.
  EXPECT_EQ(sent, ContactsFile(back));
  auto runs = box_.Trace();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].op, "2");
}

}  // namespace
