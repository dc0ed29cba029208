#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "PmFixtures.h"
#include "TestUtil.h"
#include "misc/UserPrompt.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateInfo.h"
#include "palm/PmUsers.h"
#include "platform/Registry.h"

namespace {

// Users.dat as Palm Desktop writes it: an MFC archive of CUser objects, each followed by its
// conduit settings (here opaque bytes, some of which look like a user tag).
class UsersDatWriter {
 public:
  explicit UsersDatWriter(std::uint16_t count) {
    U16(count);
    U16(0xFFFF);
    U16(1);
    U16(5);
    bytes_ += "CUser";
  }
  UsersDatWriter& User(std::uint32_t id, const std::string& name, const std::string& dir,
                       bool first) {
    if (!first) U16(0x8001);
    U16(static_cast<std::uint16_t>(id));
    U16(static_cast<std::uint16_t>(id >> 16));
    Str(name);
    Str(dir);
    // Conduit settings: counts, a conduit class, a stray 01 80 that is not a user.
    U16(1);
    U16(0xFFFF);
    U16(1);
    U16(8);
    bytes_ += "CConduit";
    bytes_ += std::string("\x01\x80\x00\x00\x00\x00\x00\x00", 8);
    U16(0x8003);
    bytes_ += std::string(37, '\x11');
    return *this;
  }
  std::span<const std::uint8_t> Span() const {
    return {reinterpret_cast<const std::uint8_t*>(bytes_.data()), bytes_.size()};
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  void U16(std::uint16_t v) {
    bytes_ += static_cast<char>(v & 0xFF);
    bytes_ += static_cast<char>(v >> 8);
  }
  void Str(const std::string& s) {
    if (s.size() < 255) {
      bytes_ += static_cast<char>(s.size());
    } else {
      bytes_ += '\xff';
      U16(static_cast<std::uint16_t>(s.size()));
    }
    bytes_ += s;
  }
  std::string bytes_;
};

TEST(UsersDat, ReadsEveryUserPastTheirConduitSettings) {
  UsersDatWriter w(3);
  w.User(123456789, "Ann Lee", "LeeA", true)
      .User(987654, "Bob Stone", "StoneB", false)
      .User(4242, std::string(300, 'n'), "LongName", false);
  std::vector<PmUser> users;
  ASSERT_TRUE(ParseUsersDat(w.Span(), users));
  ASSERT_EQ(users.size(), 3u);
  EXPECT_EQ(users[0].UserID, 123456789);
  EXPECT_EQ(users[0].UserName, "Ann Lee");
  EXPECT_EQ(users[0].UserDirectory, "LeeA");
  EXPECT_EQ(users[1].UserDirectory, "StoneB");
  EXPECT_EQ(users[2].UserName.size(), 63u);
}

TEST(UsersDat, DamagedFilesNeverCrash) {
  UsersDatWriter w(3);
  w.User(1000, "Ann", "LeeA", true).User(2000, "Bob", "StoneB", false).User(3000, "Cy", "C", false);
  const std::string& full = w.Bytes();
  // Cut anywhere before the last user's folder name, the file is damaged; after it only conduit
  // settings are missing, which the list does not need.
  std::size_t lastDir = full.find(
                            "\x01"
                            "C") +
                        2;
  for (std::size_t n = 0; n < full.size(); ++n) {
    auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(full.data()), n);
    std::vector<PmUser> users;
    EXPECT_EQ(ParseUsersDat(bytes, users), n >= lastDir) << n;
    EXPECT_LE(users.size(), 3u);
  }
  std::mt19937 rng(3);
  for (int round = 0; round < 2000; ++round) {
    std::string bad = full;
    for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] = static_cast<char>(rng());
    std::vector<PmUser> users;
    ParseUsersDat(std::span(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size()), users);
    EXPECT_LE(users.size(), 3u);
  }
}

class RecordingPrompt : public UserPrompt {
 public:
  void ShowMessage(const std::string& caption, const std::string& text, Icon) override {
    messages.push_back(caption + ": " + text);
  }
  std::vector<std::string> messages;
};

class PalmFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ = std::make_shared<platform::MemoryRegistry>();
    platform::SetRegistry(registry_);
    SetUserPrompt(&prompt_);
    ResetPalmUsers();
  }
  void TearDown() override {
    platform::SetRegistry(nullptr);
    SetUserPrompt(nullptr);
    ResetPalmUsers();
  }
  void PointRegistryAt(const std::string& folder) {
    registry_->SetText(platform::RegRoot::kCurrentUser,
                       "Software\\U.S. Robotics\\Pilot Desktop\\Core", "DesktopPath", folder);
  }

  TempDir dir_;
  std::shared_ptr<platform::MemoryRegistry> registry_;
  RecordingPrompt prompt_;
};

TEST_F(PalmFolderTest, FolderFromRegistryOrHotSyncPath) {
  std::string folder;
  EXPECT_EQ(GetPalmDesktopFolder(folder), -101);
  registry_->SetText(platform::RegRoot::kLocalMachine, "Software\\PalmSource\\Desktop\\Core",
                     "HotSyncPath", "/palm/HotSync.exe");
  EXPECT_EQ(GetPalmDesktopFolder(folder), 0);
  EXPECT_EQ(folder, "/palm/");
  PointRegistryAt("/elsewhere");
  EXPECT_EQ(GetPalmDesktopFolder(folder), 0);
  EXPECT_EQ(folder, "/elsewhere/");
  char small[4];
  EXPECT_EQ(GetPalmDesktopFolder(small, sizeof small), -102);
  EXPECT_EQ(GetPalmDesktopFolder(nullptr, 10), -100);
}

TEST_F(PalmFolderTest, UsersFromUsersDatAndTheirDataFolders) {
  UsersDatWriter w(2);
  w.User(555, "Ann Lee", "LeeA", true).User(777, "Bob", "StoneB", false);
  WriteFile(dir_.file("USERS.DAT"), w.Bytes());
  PointRegistryAt(dir_.path());
  DiscoverPalmUsers();
  ASSERT_EQ(PalmUsers().size(), 2u);
  EXPECT_EQ(PalmUsers()[1].UserID, 777);
  std::string folder;
  ASSERT_TRUE(GetUserDataFolder(777, folder));
  EXPECT_EQ(folder, dir_.folder() + "StoneB/");
  EXPECT_FALSE(GetUserDataFolder(1, folder));  // unknown user
  // Discovery runs once per process.
  std::filesystem::remove(dir_.file("USERS.DAT"));
  DiscoverPalmUsers();
  EXPECT_EQ(PalmUsers().size(), 2u);
  EXPECT_TRUE(prompt_.messages.empty());
}

TEST_F(PalmFolderTest, FallsBackToUserFoldersWithStableIds) {
  std::filesystem::create_directories(dir_.file("LeeA/address"));
  std::filesystem::create_directories(dir_.file("StoneB/DateBook"));
  std::filesystem::create_directories(dir_.file("Helper"));  // no database: not a user
  WriteFile(dir_.file("Users.dat"), "garbage");
  PointRegistryAt(dir_.path());
  DiscoverPalmUsers();
  ASSERT_EQ(PalmUsers().size(), 2u);
  EXPECT_EQ(PalmUsers()[0].UserName, "LeeA");
  std::int32_t firstId = PalmUsers()[0].UserID;
  EXPECT_GE(firstId, 256);
  ResetPalmUsers();
  DiscoverPalmUsers();
  EXPECT_EQ(PalmUsers()[0].UserID, firstId);
}

TEST_F(PalmFolderTest, DateBookLoadsByUser) {
  UsersDatWriter w(1);
  w.User(555, "Ann Lee", "LeeA", true);
  WriteFile(dir_.file("Users.dat"), w.Bytes());
  std::filesystem::create_directories(dir_.file("LeeA/datebook"));
  PmDateExUtil db;
  FillSample(db, 5);
  ASSERT_TRUE(db.SaveAs(dir_.file("LeeA/datebook/datebook.dat")));
  PointRegistryAt(dir_.path());
  DiscoverPalmUsers();
  PmDateInfo info(40104);  // Palm Desktop 4.1.4: layout 2
  ASSERT_TRUE(info.LoadByUser(555));
  EXPECT_EQ(info.ItemCount(), info.Manager().Count());
  EXPECT_GT(info.Manager().Count(), 0u);
  EXPECT_FALSE(info.LoadByUser(556));
}

TEST_F(PalmFolderTest, NoUsersShowsTheMessage) {
  PointRegistryAt(dir_.path());
  DiscoverPalmUsers();
  EXPECT_TRUE(PalmUsers().empty());
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], "Error: Can not find any Palm users in your desktop environment.");
}

}  // namespace
