#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "ContactCard.h"
#include "HelpersTestUtil.h"
#include "LocalAccount.h"
#include "google/GoogleContact.h"
#include "platform/IniDocument.h"

namespace {

using Contacts = std::vector<GoogleContact>;

class GAddrUtilTest : public HelperProcessTest {
 protected:
  Contacts Load() {
    Run("GAddrUtil", "GAddr", 1);
    Contacts out;
    EXPECT_TRUE(ReadData("GAddr", out, ReadGoogleContact)) << LastError("GAddr");
    return out;
  }
  void Submit(const Contacts& records) {
    WriteData("GAddr", records, WriteGoogleContact);
    Run("GAddrUtil", "GAddr", 2);
  }
  std::string DataIni(const char* key) {
    platform::IniDocument doc;
    doc.Load(Work() + "GAddrData.ini");
    return doc.Get("Status", key).value_or("");
  }
};

GoogleContact NewContact(const std::string& first) {
  GoogleContact c;
  c.ChangeState = 2;
  c.Action = 1;
  c.FirstName = first;
  c.LastName = "Smith";
  c.DisplayName = first + " Smith";
  c.EmailType[0] = kGEmailWork;
  c.Email[0] = first + "@work.example";
  c.PrimaryEmail = first + "@work.example";
  c.AddressType = {kGAddrWork, kGAddrHome, kGAddrOther, 0, 0};
  c.Street[1] = "1 Home Road";
  c.City[1] = "Leeds";
  c.PhoneType[0] = kGPhoneMobile;
  c.Phone[0] = "+44 7700 900123";
  c.PrimaryPhone = "+44 7700 900123";
  c.ImType[0] = kGImGTalk;
  c.Im[0] = first + "@gtalk";
  c.DateType[0] = kGDateBirthday;
  c.Date[0] = OleDate(29000.0);
  c.RelationType[0] = kGRelManager;
  c.Relation[0] = "Boss";
  c.CustomLabel[0] = "Shoe size";
  c.CustomValue[0] = "42";
  c.Note = "Met at the fair;\nlikes tea.";
  c.Groups = "Friends";
  return c;
}

// What the account gives back for a submitted record: the helper's own fields set, empty
// slots absent.
GoogleContact AsStored(GoogleContact c, const GoogleContact& loaded) {
  c.RecordTag = loaded.RecordTag;
  c.ChangeState = loaded.ChangeState;
  c.Action = loaded.Action;
  c.PassThrough = loaded.PassThrough;
  c.CreationTime = loaded.CreationTime;
  c.LastModificationTime = loaded.LastModificationTime;
  // A display name the other fields make is left to them.
  if (c.DisplayName.view() == DerivedDisplayName(c)) c.DisplayName = "";
  for (std::size_t i = 0; i < GoogleContact::kAddresses; ++i)
    if (c.Street[i].empty() && c.City[i].empty()) c.AddressType[i] = 0;
  // Slots fill from the front on the way back.
  GoogleContact packed = c;
  packed.AddressType = {};
  std::size_t n = 0;
  for (std::size_t i = 0; i < GoogleContact::kAddresses; ++i) {
    if (!c.AddressType[i]) continue;
    packed.AddressType[n] = c.AddressType[i];
    packed.Street[n] = c.Street[i];
    packed.City[n] = c.City[i];
    ++n;
  }
  for (std::size_t i = n; i < GoogleContact::kAddresses; ++i) {
    packed.Street[i] = "";
    packed.City[i] = "";
  }
  return packed;
}

TEST_F(GAddrUtilTest, EmptyAccountLoadsNoRecordsAndIsCreated) {
  EXPECT_TRUE(Load().empty());
  EXPECT_EQ(LastError("GAddr"), "");
  std::string settings = ReadFile(Root() + "ann@example.com/account.ini");
  EXPECT_EQ(settings.find("secret"), std::string::npos);  // only a salted hash
  EXPECT_NE(settings.find("$y$"), std::string::npos);
  EXPECT_EQ(DataIni("Running"), "0");
}

TEST_F(GAddrUtilTest, SubmittedContactsComeBackFieldByField) {
  Contacts sent = {NewContact("Ann"), NewContact("Bob")};
  Submit(sent);
  EXPECT_EQ(LastError("GAddr"), "");
  EXPECT_EQ(FilesIn(AccountFolder("contacts")).size(), 2u);

  Contacts loaded = Load();
  ASSERT_EQ(loaded.size(), 2u);
  std::sort(loaded.begin(), loaded.end(), [](const GoogleContact& a, const GoogleContact& b) {
    return a.FirstName.view() < b.FirstName.view();
  });
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NE(loaded[i].PassThrough.view().find("file="), std::string::npos);
    EXPECT_TRUE(loaded[i].CreationTime.IsSet());
    ExpectSameFields(AsStored(sent[i], loaded[i]), loaded[i]);
  }
  // The status file ends with the last progress line.
  EXPECT_EQ(ReadFile(Work() + "GAddrStatus.dat"), "Loading contact 2 of 2\r\n");
}

TEST_F(GAddrUtilTest, UpdateKeepsTheFileAndLeavesNoTemporaries) {
  Submit({NewContact("Ann")});
  std::vector<std::string> before = FilesIn(AccountFolder("contacts"));
  Contacts loaded = Load();
  ASSERT_EQ(loaded.size(), 1u);
  GoogleContact changed = loaded[0];
  changed.ChangeState = 2;
  changed.Action = 2;
  changed.JobTitle = "Chief";
  GoogleContact untouched = NewContact("Zed");
  untouched.ChangeState = 1;  // loaded and unchanged: never written
  Submit({changed, untouched});
  EXPECT_EQ(FilesIn(AccountFolder("contacts")), before);
  Contacts again = Load();
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].JobTitle, "Chief");
  EXPECT_EQ(again[0].CreationTime, loaded[0].CreationTime);
  for (const std::string& f : FilesIn(Work())) EXPECT_EQ(f.find(".tmp"), std::string::npos) << f;
  for (const std::string& f : FilesIn(AccountFolder("contacts")))
    EXPECT_EQ(f.find(".tmp"), std::string::npos) << f;
}

TEST_F(GAddrUtilTest, PassThroughCannotPointOutsideTheAccount) {
  GoogleContact c = NewContact("Eve");
  c.Action = 2;
  c.PassThrough = "file=../../escape.vcf\nrev=0";
  Submit({c});
  std::vector<std::string> files = FilesIn(AccountFolder("contacts"));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_NE(files[0], "escape.vcf");
  EXPECT_FALSE(std::filesystem::exists(Root() + "escape.vcf"));
}

TEST_F(GAddrUtilTest, WrongPasswordIsReportedAndLoadsNothing) {
  Load();
  std::filesystem::remove(Work() + "GAddr.dat");
  Run("GAddrUtil", "GAddr", 1, "not the password");
  EXPECT_EQ(LastError("GAddr"), LocalAccount::kBadLogin);
  EXPECT_FALSE(std::filesystem::exists(Work() + "GAddr.dat"));
  Run("GAddrUtil", "GAddr", 1, "secret", "no-at-sign");
  EXPECT_EQ(LastError("GAddr"), "\"no-at-sign\" is not an e-mail address.");
}

// Texts of many-byte characters filling each field to its width, and one byte past it.
TEST_F(GAddrUtilTest, TextsAtAndPastEveryWidthComeBackUnchanged) {
  const std::string pool[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "a"};
  for (std::size_t extra : {0u, 1u, 2u, 3u}) {
    std::size_t k = extra;
    auto fill = [&](auto& field) {
      std::string t;
      while (t.size() < field.kMaxBytes + extra) t += pool[k++ % 4];
      field = t;
    };
    GoogleContact c = NewContact("W" + std::to_string(extra));
    fill(c.FirstName), fill(c.LastName), fill(c.DisplayName);
    c.NickName = "round " + std::to_string(extra);
    fill(c.CompanyName), fill(c.JobTitle), fill(c.Street[0]), fill(c.City[0]);
    fill(c.State[0]), fill(c.PostalCode[0]), fill(c.Country[0]), fill(c.PoBox[0]);
    fill(c.Neighborhood[0]), fill(c.Im[0]), fill(c.Relation[0]), fill(c.CustomLabel[0]);
    fill(c.CustomValue[0]), fill(c.Note), fill(c.Groups), fill(c.Email[0]);
    c.PrimaryEmail = c.Email[0].view();
    Submit({c});
    EXPECT_EQ(LastError("GAddr"), "");
    Contacts loaded = Load();
    ASSERT_EQ(loaded.size(), extra + 1);
    auto it = std::find_if(loaded.begin(), loaded.end(),
                           [&](const GoogleContact& l) { return l.NickName == c.NickName; });
    ASSERT_NE(it, loaded.end());
    ExpectSameFields(AsStored(c, *it), *it);
  }
}

TEST_F(GAddrUtilTest, SwitchWritesErrorsAndStatusLines) {
  Switches("Errors=3\nStatusLines=2\n");
  Load();
  EXPECT_EQ(LastError("GAddr"), "Test error 3");
  // An empty account writes no progress of its own after the test lines.
  EXPECT_EQ(ReadFile(Work() + "GAddrStatus.dat"), "Test status 2\r\n");
}

TEST_F(GAddrUtilTest, SwitchCrashLeavesRunningAndNoData) {
  Switches("Crash=1\n");
  EXPECT_EQ(Run("GAddrUtil", "GAddr", 1), HelperRunResult::kSignalled);
  EXPECT_EQ(DataIni("Running"), "1");
  EXPECT_FALSE(std::filesystem::exists(Work() + "GAddr.dat"));
  // The next run is not stopped by what the crash left behind.
  WriteFile(Work() + "GHelperTest.ini", "");
  platform::IniDocument doc;
  doc.Load(Work() + "GAddrData.ini");
  doc.Set("Status", "Stop", "1");
  doc.Save(Work() + "GAddrData.ini");
  EXPECT_TRUE(Load().empty());
  EXPECT_EQ(LastError("GAddr"), "");
}

TEST_F(GAddrUtilTest, StopEndsASleepingHelperSoon) {
  Switches("SleepMs=20000\n");
  std::thread stopper([this] {
    for (int i = 0; i < 500 && DataIni("Running") != "1"; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    platform::IniDocument doc;
    doc.Load(Work() + "GAddrData.ini");
    doc.Set("Status", "Stop", "1");
    doc.Save(Work() + "GAddrData.ini");
  });
  auto started = std::chrono::steady_clock::now();
  Run("GAddrUtil", "GAddr", 1);
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_EQ(LastError("GAddr"), "The helper program was stopped before it finished.");
  EXPECT_FALSE(std::filesystem::exists(Work() + "GAddr.dat"));
  EXPECT_EQ(DataIni("Running"), "0");
}

TEST_F(GAddrUtilTest, IgnoreStopRunsToTheEnd) {
  Switches("SleepMs=300\nIgnoreStop=1\n");
  platform::IniDocument doc;
  doc.Set("Status", "Stop", "1");
  doc.Save(Work() + "GAddrData.ini");
  std::thread stopper([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    platform::IniDocument d;
    d.Load(Work() + "GAddrData.ini");
    d.Set("Status", "Stop", "1");
    d.Save(Work() + "GAddrData.ini");
  });
  Run("GAddrUtil", "GAddr", 1);
  stopper.join();
  EXPECT_EQ(LastError("GAddr"), "");
  EXPECT_TRUE(std::filesystem::exists(Work() + "GAddr.dat"));
}

}  // namespace
