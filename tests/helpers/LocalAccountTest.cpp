#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "ContactCard.h"
#include "HelpersTestUtil.h"
#include "LocalAccount.h"
#include "VCard.h"
#include "google/GoogleContact.h"

namespace {

TEST(LocalAccountTest, OfTwoFirstRunsWithDifferentPasswordsOneWins) {
  TempDir root;
  // Hashing takes long enough that both runs look before either writes.
  for (int round = 0; round < 4; ++round) {
    std::string email = "race" + std::to_string(round) + "@example.com";
    std::atomic<int> ready{0};
    bool ok[2] = {};
    std::string error[2];
    auto run = [&](int i) {
      ++ready;
      while (ready < 2) {
      }
      LocalAccount a;
      ok[i] = a.Open(root.folder(), email, i ? "second" : "first", error[i]);
    };
    std::thread t0(run, 0), t1(run, 1);
    t0.join();
    t1.join();
    EXPECT_NE(ok[0], ok[1]) << email << ": " << error[0] << " / " << error[1];
    std::string loser = ok[0] ? error[1] : error[0];
    EXPECT_FALSE(loser.empty());
    // The winner's password opens the account, the loser's does not.
    LocalAccount again;
    std::string e;
    EXPECT_TRUE(again.Open(root.folder(), email, ok[0] ? "first" : "second", e)) << e;
    EXPECT_FALSE(again.Open(root.folder(), email, ok[0] ? "second" : "first", e));
  }
}

TEST(LocalAccountTest, FolderWithRecordsButNoSettingsIsNotAdopted) {
  TempDir root;
  std::filesystem::create_directories(root.folder() + "ann@example.com/contacts");
  WriteFile(root.folder() + "ann@example.com/contacts/a.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  LocalAccount a;
  std::string error;
  EXPECT_FALSE(a.Open(root.folder(), "ann@example.com", "pw", error));
  EXPECT_NE(error.find("holds records"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(root.folder() + "ann@example.com/account.ini"));
  // Empty record folders alone (a run that stopped half way) are no records.
  std::filesystem::create_directories(root.folder() + "bob@example.com/calendar");
  EXPECT_TRUE(a.Open(root.folder(), "bob@example.com", "pw", error)) << error;
}

TEST(LocalAccountTest, AddressesThatAreNoEmailSaySoAndNeverEscapeTheRoot) {
  TempDir base;
  std::string root = base.folder() + "accounts/";
  std::filesystem::create_directories(root);
  const std::string cases[] = {"",
                               "ann\x01@example.com",
                               "../../x@y",
                               "..@y",
                               "x@..",
                               "ann@",
                               "@example.com",
                               "a b@example.com",
                               "ann@\xC3",
                               std::string(250, 'a') + "@b.cd"};
  for (const std::string& email : cases) {
    LocalAccount a;
    std::string error;
    EXPECT_FALSE(a.Open(root, email, "pw", error)) << email;
    EXPECT_NE(error.find("is not an e-mail address."), std::string::npos) << email << ": " << error;
    EXPECT_TRUE(IsValidUtf8(error)) << error;
  }
  std::vector<std::string> outside;
  for (const auto& e : std::filesystem::directory_iterator(base.path()))
    outside.push_back(e.path().filename().string());
  EXPECT_EQ(outside, std::vector<std::string>{"accounts"});
  EXPECT_TRUE(std::filesystem::is_empty(root));
}

TEST(ContactCardTest, HostileNumbersStayInRange) {
  const char* text =
      "BEGIN:VCARD\r\nVERSION:3.0\r\n"
      "item1.X-CUSTOM;X-INDEX=-2147483648:a\r\nitem1.X-ABLabel:A\r\n"
      "item2.X-CUSTOM;X-INDEX=99999999999999999999:b\r\n"
      "item3.X-CUSTOM;X-INDEX=3x:c\r\n"
      "item4.X-CUSTOM;X-INDEX=10:d\r\n"
      "IMPP;X-SERVICE-TYPE=99999999999:zz\r\n"
      "IMPP;X-SERVICE-TYPE=-5:yy\r\n"
      "item5.X-ABRELATEDNAMES:Pat\r\nitem5.X-ABLabel:Type 2147483648\r\n"
      "BDAY:99999999\r\nEND:VCARD\r\n";
  std::vector<VCard> cards = VCardReader::Parse(text);
  ASSERT_EQ(cards.size(), 1u);
  GoogleContact c;
  ReadContactCard(cards[0], c);
  EXPECT_EQ(c.CustomValue[0], "a");
  EXPECT_EQ(c.CustomLabel[0], "A");
  EXPECT_EQ(c.CustomValue[1], "b");
  EXPECT_EQ(c.CustomValue[2], "c");
  EXPECT_EQ(c.CustomValue[9], "d");
  EXPECT_EQ(c.ImType[0], 0);  // no network a number names
  EXPECT_EQ(c.RelationType[0], 9);
  EXPECT_EQ(c.Relation[0], "Pat");
}

class SkippedFilesTest : public HelperProcessTest {
 protected:
  std::vector<GoogleContact> Load() {
    Run("GAddrUtil", "GAddr", 1);
    std::vector<GoogleContact> out;
    EXPECT_TRUE(ReadData("GAddr", out, ReadGoogleContact)) << LastError("GAddr");
    return out;
  }
  std::vector<std::string> Warnings() const {
    CxIniUtil ini(Work(), "GAddrErr.dat");
    std::vector<std::string> out;
    int n = ini.ReadInt("Warning", "Warning.Count", 0);
    for (int i = 1; i <= n; ++i)
      out.push_back(ini.ReadText("Warning", "Warning." + std::to_string(i), ""));
    return out;
  }
  static std::string Card(int i) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) + "\r\nN:P" +
           std::to_string(i) + ";;;;\r\nEND:VCARD\r\n";
  }
};

TEST_F(SkippedFilesTest, EveryCardIsReadAndEveryLeftOutFileIsReported) {
  Load();  // makes the account
  const std::string folder = AccountFolder("contacts");
  std::string many;
  for (int i = 1; i <= 10; ++i) many += Card(i);
  WriteFile(folder + "many.vcf", many);
  WriteFile(folder + "empty.vcf", "");
  WriteFile(folder + "huge.vcf", std::string(RecordStore::kMaxFileBytes + 1, 'x'));
  WriteFile(folder + "notes.vcf", "just text\n");
  ASSERT_EQ(::mkfifo((folder + "fifo.vcf").c_str(), 0600), 0);
  std::filesystem::create_directory(folder + "dir.vcf");

  std::vector<GoogleContact> loaded = Load();
  EXPECT_EQ(LastError("GAddr"), "");
  ASSERT_EQ(loaded.size(), 10u);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(loaded[static_cast<std::size_t>(i)].DisplayName, "Person " + std::to_string(i + 1));
  std::vector<std::string> w = Warnings();
  std::string all;
  for (const std::string& s : w) all += s + "\n";
  EXPECT_EQ(w.size(), 5u) << all;
  for (const char* name : {"empty.vcf", "huge.vcf", "notes.vcf", "fifo.vcf", "dir.vcf"})
    EXPECT_NE(all.find(std::string("contacts/") + name), std::string::npos) << name << "\n" << all;

  // Changing card 3 rewrites that card alone.
  GoogleContact changed = loaded[2];
  changed.ChangeState = 2;
  changed.Action = 2;
  changed.DisplayName = "Changed";
  WriteData("GAddr", std::vector<GoogleContact>{changed}, WriteGoogleContact);
  Run("GAddrUtil", "GAddr", 2);
  EXPECT_EQ(LastError("GAddr"), "");
  std::string after = ReadFile(folder + "many.vcf");
  EXPECT_EQ(VCardBlocks(after).size(), 10u);
  EXPECT_NE(after.find("FN:Changed"), std::string::npos);
  EXPECT_EQ(after.find("FN:Person 3\r"), std::string::npos);
  EXPECT_EQ(after.substr(0, Card(1).size() + Card(2).size()), Card(1) + Card(2));
}

TEST_F(SkippedFilesTest, AFileWhereTheFolderShouldBeIsReported) {
  Load();
  std::filesystem::remove_all(AccountFolder("contacts"));
  WriteFile(Root() + "ann@example.com/contacts", "not a folder");
  EXPECT_TRUE(Load().empty());
  ASSERT_EQ(Warnings().size(), 1u);
  EXPECT_NE(Warnings()[0].find("contacts"), std::string::npos) << Warnings()[0];
}

}  // namespace
