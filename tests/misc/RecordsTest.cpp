#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <type_traits>

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

// Known answer: the member each code names, by the name the JSON form gives it. Filling every
// field with its own name and reading back by code catches two fields of one width trading
// places in the table (which no size check can).
TEST(ContactFields, EachCodeNamesItsOwnMember) {
  const std::pair<std::uint32_t, const char*> golden[] = {{1, "FirstName"},
                                                          {3, "LastName"},
                                                          {2, "MiddleName"},
                                                          {4, "Prefix"},
                                                          {5, "Suffix"},
                                                          {6, "NickName"},
                                                          {7, "DisplayName"},
                                                          {8, "Gender"},
                                                          {9, "WorkAddress.Street"},
                                                          {10, "WorkAddress.City"},
                                                          {11, "WorkAddress.State"},
                                                          {12, "WorkAddress.PostalCode"},
                                                          {13, "WorkAddress.Country"},
                                                          {16, "HomeAddress.Street"},
                                                          {17, "HomeAddress.City"},
                                                          {18, "HomeAddress.State"},
                                                          {19, "HomeAddress.PostalCode"},
                                                          {20, "HomeAddress.Country"},
                                                          {23, "OtherAddress.Street"},
                                                          {24, "OtherAddress.City"},
                                                          {25, "OtherAddress.State"},
                                                          {26, "OtherAddress.PostalCode"},
                                                          {27, "OtherAddress.Country"},
                                                          {28, "HomePhone"},
                                                          {29, "WorkPhone"},
                                                          {30, "MobilePhone"},
                                                          {32, "PrimaryPhone"},
                                                          {31, "OtherPhone"},
                                                          {33, "CallbackPhone"},
                                                          {35, "RadioPhone"},
                                                          {34, "CarPhone"},
                                                          {36, "WorkPhone2"},
                                                          {37, "HomePhone2"},
                                                          {38, "WorkFax"},
                                                          {39, "HomeFax"},
                                                          {40, "Pager"},
                                                          {41, "Email1"},
                                                          {42, "Email2"},
                                                          {43, "Email3"},
                                                          {45, "WorkHomePage"},
                                                          {44, "PersonalHomePage"},
                                                          {47, "FtpSite"},
                                                          {48, "Note"},
                                                          {49, "Custom1"},
                                                          {50, "Custom2"},
                                                          {51, "Custom3"},
                                                          {52, "Custom4"},
                                                          {53, "Custom5"},
                                                          {54, "Custom6"},
                                                          {55, "Custom7"},
                                                          {56, "Custom8"},
                                                          {57, "Custom9"},
                                                          {69, "Company"},
                                                          {71, "JobTitle"},
                                                          {70, "Department"},
                                                          {72, "Im1"},
                                                          {73, "Im2"},
                                                          {74, "ManagerName"},
                                                          {75, "AssistantName"},
                                                          {76, "AssistantPhone"},
                                                          {77, "SpouseName"},
                                                          {78, "ChildrenNames"},
                                                          {80, "Profession"},
                                                          {81, "Hobby"},
                                                          {82, "Account"},
                                                          {84, "Birthday"},
                                                          {83, "Anniversary"},
                                                          {85, "Keyword"},
                                                          {86, "Language"},
                                                          {87, "Location"},
                                                          {88, "MhsCommonName"},
                                                          {89, "CustomerId"},
                                                          {90, "GovernmentId"},
                                                          {91, "OrganizationId"},
                                                          {92, "Category"},
                                                          {93, "CreationTime"},
                                                          {94, "LastModificationTime"},
                                                          {95, "SourceType"},
                                                          {96, "Status"},
                                                          {97, "ItemId"},
                                                          {98, "Private"},
                                                          {59, "CustomLabel1"},
                                                          {60, "CustomLabel2"},
                                                          {61, "CustomLabel3"},
                                                          {62, "CustomLabel4"},
                                                          {63, "CustomLabel5"},
                                                          {64, "CustomLabel6"},
                                                          {65, "CustomLabel7"},
                                                          {66, "CustomLabel8"},
                                                          {67, "CustomLabel9"}};
  CommonContact c;
  std::map<std::string, std::string> written;
  auto fill = [&](const std::string& prefix) {
    return [&written, prefix](std::string_view name, auto& f) {
      using F = std::remove_cvref_t<decltype(f)>;
      std::string full = prefix + std::string(name);
      if constexpr (requires { F::kWidth; }) {
        f = full.substr(full.size() > F::kMaxBytes ? full.size() - F::kMaxBytes : 0);
        written[full] = std::string(f.view());
      }
    };
  };
  CommonContact::VisitFields(c, [&](std::string_view name, auto& f) {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(f)>, CommonAddress>)
      CommonAddress::VisitFields(f, fill(std::string(name) + "."));
    else
      fill("")(name, f);
  });
  std::size_t i = 0;
  for (const auto& [code, name] : golden) {
    SCOPED_TRACE(name);
    const ContactFieldRow* row = FindContactRow(code);
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row->name, name);
    EXPECT_EQ(kContactFields[i++].code, code);
    if (row->valueType == kValueText) {
      EXPECT_EQ(ContactText(c, code), written.at(name));
    }
  }
  EXPECT_EQ(FieldByCode(c, kFieldBirthday).date, &c.Birthday);
  EXPECT_EQ(FieldByCode(c, kFieldAnniversary).date, &c.Anniversary);
  EXPECT_EQ(FieldByCode(c, kFieldGender).number, &c.Gender);
  EXPECT_EQ(FieldByCode(c, kFieldPrivate).number, &c.Private);
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
