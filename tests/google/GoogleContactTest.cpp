#include <gtest/gtest.h>

#include <random>

#include "TestUtil.h"
#include "google/GoogleContact.h"
#include "misc/RecordStatus.h"

namespace {

class CustomMapGuard {
 public:
  ~CustomMapGuard() {
    for (int i = 0; i < 10; ++i) SetCustomField(i, 0);
  }
};

GoogleContact Sample() {
  GoogleContact g;
  g.RecordTag = 77;
  g.FirstName = "Ann";
  g.LastName = "Lee";
  g.EmailType = {kGEmailHome, kGEmailHome, kGEmailOther, 0, 0};
  g.Email[0] = "first@home";
  g.Email[1] = "second@home";
  g.Email[2] = "other@x";
  g.PrimaryEmail = "primary@x";
  g.AddressType[0] = kGAddrHome;
  g.City[0] = "Bonn";
  g.Street[0] = "1 Main St";
  g.PhoneType[3] = kGPhoneMobile;
  g.Phone[3] = "+49 170";
  g.DateType[1] = kGDateBirthday;
  g.Date[1] = OleDate(29221.0);
  g.RelationType[5] = kGRelManager;
  g.Relation[5] = "Boss";
  g.ImType[0] = kGImSkype;
  g.Im[0] = "ann.skype";
  g.PassThrough = "etag-123/file.vcf";
  g.Note = "line\r\nline";
  g.Groups = "Friends";
  g.CreationTime = OleDate(40000.5);
  return g;
}

std::string Serialise(const GoogleContact& g, const std::string& path) {
  CxFile f;
  EXPECT_TRUE(f.Open(path, "wb"));
  EXPECT_TRUE(WriteGoogleContact(f, g));
  f.Close();
  return ReadFile(path);
}

TEST(GoogleContactFile, RoundTripIsByteExact) {
  TempDir dir;
  std::string bytes = Serialise(Sample(), dir.file("a"));
  CxFile f;
  ASSERT_TRUE(f.Open(dir.file("a"), "rb"));
  GoogleContact back;
  ASSERT_TRUE(ReadGoogleContact(f, back));
  f.Close();
  EXPECT_EQ(Serialise(back, dir.file("b")), bytes);
  EXPECT_EQ(back.PassThrough, "etag-123/file.vcf");
  // 3 ints, 7 names, slots... an empty record has a fixed size: ints 4, texts 4, doubles 8.
  std::size_t ints = 3 + 5 + 5 + 10 + 10 + 10 + 5 + 20;
  std::size_t texts = 7 + 5 + 1 + 5 * 8 + 10 + 1 + 10 + 1 + 10 + 1 + 20 + 20 + 3;
  EXPECT_EQ(Serialise(GoogleContact(), dir.file("c")).size(), ints * 4 + texts * 4 + 7 * 8);
}

TEST(GoogleContactFile, EveryTruncationFails) {
  TempDir dir;
  std::string bytes = Serialise(Sample(), dir.file("a"));
  for (std::size_t n = 0; n < bytes.size(); n += 3) {
    WriteFile(dir.file("t"), bytes.substr(0, n));
    CxFile f;
    ASSERT_TRUE(f.Open(dir.file("t"), "rb"));
    GoogleContact g;
    EXPECT_FALSE(ReadGoogleContact(f, g)) << n;
  }
}

TEST(GoogleContactConvert, ToCommon) {
  CustomMapGuard guard;
  GoogleContact g = Sample();
  CommonContact c;
  GoogleToCommon(g, c);
  EXPECT_EQ(c.Email1, "primary@x");   // no work e-mail: the primary one
  EXPECT_EQ(c.Email2, "first@home");  // the first of two home e-mails
  EXPECT_EQ(c.Email3, "other@x");
  EXPECT_EQ(c.HomeAddress.City, "Bonn");
  EXPECT_EQ(c.MobilePhone, "+49 170");
  EXPECT_EQ(c.Birthday, OleDate(29221.0));
  EXPECT_EQ(c.ManagerName, "Boss");
  EXPECT_EQ(c.Im1, "");  // Skype is not carried
  EXPECT_EQ(c.Category, "Friends");
  EXPECT_EQ(c.SourceType, kSourceGoogle);
}

TEST(GoogleContactConvert, UpdateKeepsSlotsItDoesNotWrite) {
  GoogleContact g = Sample();
  CommonContact c;
  GoogleToCommon(g, c);
  c.Email2 = "new@home";
  c.MobilePhone = "";
  CommonToGoogle(c, g);
  EXPECT_EQ(g.Email[0], "new@home");
  EXPECT_EQ(g.Email[1], "second@home");  // the second home slot stays
  EXPECT_EQ(g.Im[0], "ann.skype");
  EXPECT_EQ(g.Phone[3], "");  // written, also when empty
  EXPECT_EQ(g.PassThrough, "etag-123/file.vcf");
}

TEST(GoogleContactConvert, NewRecordSlotsAndPrimaryPhone) {
  CommonContact c;
  c.MobilePhone = "0170";
  c.WorkAddress.State = "Nordrhein-Westfalen";  // 19 characters
  c.HomeAddress.Country = "Deutschland";
  GoogleContact g;
  CommonToGoogle(c, g);
  EXPECT_EQ(g.AddressType[0], kGAddrWork);
  EXPECT_EQ(g.AddressType[1], kGAddrHome);
  EXPECT_EQ(g.AddressType[2], kGAddrOther);
  EXPECT_EQ(g.State[0], "Nordrhein-Westf");  // cut to 15
  EXPECT_EQ(g.PrimaryPhone, "0170");
  EXPECT_EQ(g.PhoneType[2], kGPhoneMobile);
  EXPECT_EQ(g.DateType[0], kGDateBirthday);  // made even for a zero date
}

TEST(GoogleContactConvert, CommonRoundTripKeepsEveryCarriedField) {
  CommonContact c;
  c.FirstName = "Ann";
  c.MiddleName = "B";
  c.LastName = "Lee";
  c.DisplayName = "Ann Lee";
  c.NickName = "Annie";
  c.Company = "Acme";
  c.JobTitle = "CEO";
  c.Email1 = "w@x";
  c.Email2 = "h@x";
  c.Email3 = "o@x";
  int k = 0;
  for (CommonAddress* a : {&c.WorkAddress, &c.HomeAddress, &c.OtherAddress}) {
    std::string n = std::to_string(++k);
    a->Street = "Street " + n;
    a->City = "City " + n;
    a->State = "State " + n;
    a->PostalCode = "P" + n;
    a->Country = "Country " + n;
    a->PoBox = "Box " + n;
    a->Neighborhood = "Hood " + n;
  }
  c.HomePhone = "1";
  c.WorkPhone = "2";
  c.MobilePhone = "3";
  c.HomeFax = "4";
  c.WorkFax = "5";
  c.Pager = "6";
  c.OtherPhone = "7";
  c.PrimaryPhone = "8";
  c.Birthday = OleDate(1000.0);
  c.Anniversary = OleDate(2000.0);
  c.Im1 = "gtalk";
  c.Im2 = "msn";
  c.SpouseName = "S";
  c.ManagerName = "M";
  c.AssistantName = "A";
  for (std::size_t i = 0; i < 10; ++i) {
    c.Custom[i] = "value " + std::to_string(i);
    c.CustomLabel[i] = "label " + std::to_string(i);
  }
  c.Note = "note";
  c.Category = "Work";
  c.SourceType = kSourceGoogle;
  GoogleContact g;
  CommonToGoogle(c, g);
  CommonContact back;
  GoogleToCommon(g, back);
  auto json = [](const CommonContact& r) {
    std::string s;
    CommonContact::VisitFields(r, [&](std::string_view name, const auto& f) {
      if constexpr (requires { f.view(); })
        s += std::string(name) + "=" + std::string(f.view()) + ";";
    });
    return s;
  };
  EXPECT_EQ(json(back), json(c));
  EXPECT_EQ(back.Birthday, c.Birthday);
  EXPECT_EQ(back.Anniversary, c.Anniversary);
  EXPECT_EQ(back.WorkAddress.Neighborhood, "Hood 1");
}

TEST(GoogleFields, CodesAndTexts) {
  GoogleContact g = Sample();
  struct {
    std::uint32_t code;
    std::string text;
  } cases[] = {{1, "Ann"},
               {8, "first@home"},
               {9, ""},
               {11, "primary@x"},
               {12, ""},
               {15, "Bonn"},
               {16, ""},
               {27, "1 Main St"},
               {38, "+49 170"},
               {55, "ann.skype"},
               {81, "01/01/1980"},
               {82, ""},
               {87, "Boss"},
               {89, ""},
               {90, "line\r\nline"},
               {91, "07/06/2009 12:00:00"},
               {93, ""}};
  for (const auto& c : cases) EXPECT_EQ(FieldText(g, c.code), c.text) << c.code;
  EXPECT_EQ(kGoogleFieldCodes.size(), 91u);
  EXPECT_EQ(FindGoogleField(89), nullptr);
  EXPECT_STREQ(FindGoogleField(47)->label, "FTP");
  EXPECT_EQ(FindGoogleField(90)->size, 10240u);
}

TEST(GoogleFields, MappedCustomSlots) {
  CustomMapGuard guard;
  EXPECT_FALSE(SetCustomField(10, 1));
  ASSERT_TRUE(SetCustomField(0, 55));  // IM(Skype)
  ASSERT_TRUE(SetCustomField(1, 89));  // unassigned: fills nothing
  ASSERT_TRUE(SetCustomField(2, 81));  // a date: not text, fills nothing
  ASSERT_TRUE(SetCustomField(3, 9));   // Email(Work): no value
  CommonContact c;
  GoogleToCommon(Sample(), c);
  EXPECT_EQ(c.MappedCustom[0], "ann.skype");
  EXPECT_EQ(c.MappedCustom[1], "");
  EXPECT_EQ(c.MappedCustom[2], "");
  EXPECT_EQ(c.MappedCustom[3], "");
  GoogleContact g;
  CommonToGoogle(c, g);
  EXPECT_EQ(g.CustomValue[0], "ann.skype");  // a mapped slot replaces the custom value
}

}  // namespace
