#include <gtest/gtest.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

#include "PeFixture.h"
#include "PmFixtures.h"
#include "PmTestUtil.h"
#include "TestUtil.h"
#include "misc/UserPrompt.h"
#include "palm/PmAddrExUtil.h"
#include "palm/PmAddrUtil.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateInfo.h"
#include "palm/PmDateUtil.h"
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

// A bad entry anywhere costs that user only; the list says it is not whole.
TEST(UsersDat, OneBadEntryCostsOnlyThatUser) {
  const std::pair<std::string, std::string> bad[] = {
      {"Ann/Bob", "AnnB"}, {std::string(5000, 'n'), "Long"}, {"Up", ".."}, {"Deep", "a/b"}};
  for (const auto& [name, dir] : bad) {
    for (int at = 0; at < 3; ++at) {
      SCOPED_TRACE(dir + " at " + std::to_string(at));
      UsersDatWriter w(3);
      for (int i = 0; i < 3; ++i) {
        const auto id = static_cast<std::uint32_t>(100 + i);
        if (i == at) {
          w.User(id, name, dir, i == 0);
        } else {
          w.User(id, "User " + std::to_string(i), "Dir" + std::to_string(i), i == 0);
        }
      }
      std::vector<PmUser> users;
      EXPECT_FALSE(ParseUsersDat(w.Span(), users));
      ASSERT_EQ(users.size(), 2u);
      for (const PmUser& u : users) {
        EXPECT_NE(u.UserID, 100 + at);
        EXPECT_EQ(u.UserDirectory, "Dir" + std::to_string(u.UserID - 100));
      }
    }
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
    QuietDebugLog();
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
  // Folders copied from Windows keep whatever case they had.
  for (const char* path : {"LeeA/datebook/datebook.dat", "LeeA/DateBook/DateBook.DAT"}) {
    SCOPED_TRACE(path);
    std::filesystem::remove_all(dir_.file("LeeA"));
    UsersDatWriter w(1);
    w.User(555, "Ann Lee", "LeeA", true);
    WriteFile(dir_.file("Users.dat"), w.Bytes());
    std::filesystem::create_directories(std::filesystem::path(dir_.file(path)).parent_path());
    PmDateExUtil db;
    FillSample(db, 5);
    ASSERT_TRUE(db.SaveAs(dir_.file(path)));
    PointRegistryAt(dir_.path());
    DiscoverPalmUsers();
    PmDateInfo info(40104);  // Palm Desktop 4.1.4: layout 2
    ASSERT_TRUE(info.LoadByUser(555));
    EXPECT_EQ(info.ItemCount(), info.Manager().Count());
    EXPECT_GT(info.Manager().Count(), 0u);
    EXPECT_FALSE(info.LoadByUser(556));
  }
}

TEST_F(PalmFolderTest, NoUsersShowsTheMessage) {
  PointRegistryAt(dir_.path());
  DiscoverPalmUsers();
  EXPECT_TRUE(PalmUsers().empty());
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], "Error: Can not find any Palm users in your desktop environment.");
}

TEST_F(PalmFolderTest, VersionComesFromPalmExe) {
  struct Case {
    std::uint16_t major, minor, build, revision;
    std::uint32_t expected;
  };
  // The revision never counts; the largest parts still fit in 32 bits.
  const Case cases[] = {{4, 1, 4, 0, 40104},
                        {4, 1, 2, 9999, 40102},
                        {6, 2, 2, 1200, 60202},
                        {65535, 65535, 65535, 65535, 661969035u}};
  EXPECT_EQ(GetPalmDesktopVersion(), 0xFFFFFFFFu);  // no Palm Desktop folder
  PointRegistryAt(dir_.path());
  EXPECT_EQ(GetPalmDesktopVersion(), 0xFFFFFFFFu);  // no palm.exe
  for (const Case& c : cases) {
    WriteFile(dir_.file("Palm.EXE"), PeFileContent(c.major, c.minor, c.build, c.revision));
    EXPECT_EQ(GetPalmDesktopVersion(), c.expected) << c.major << "." << c.minor << "." << c.build;
  }
  WriteFile(dir_.file("Palm.EXE"), "MZ but nothing more");
  EXPECT_EQ(GetPalmDesktopVersion(), 0xFFFFFFFFu);
}

// `quillmove-cli dump palm TYPE --user ID` as a separate process: the Palm Desktop folder from
// the registry seed file, the version from its palm.exe, the user's folder from its Users.dat.
class DumpByUserTest : public ::testing::Test {
 protected:
  using Run = CommandRun;

  static constexpr std::int32_t kAnn = 555;
  static constexpr std::int32_t kBob = 777;  // known, with no databases

  void SetUp() override {
    std::filesystem::create_directories(home_.file("config/quillmove"));
    std::filesystem::create_directories(home_.file("palm"));
    WriteFile(SeedFile(),
              "[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\n"
              "\"DesktopPath\"=\"" +
                  Palm() + "\"\n");
    UsersDatWriter w(2);
    w.User(kAnn, "Ann Lee", "LeeA", true).User(kBob, "Bob", "StoneB", false);
    WriteFile(Palm() + "Users.dat", w.Bytes());
    std::filesystem::create_directories(Palm() + "StoneB");
  }

  std::string Palm() const { return home_.file("palm/"); }
  std::string SeedFile() const { return home_.file("config/quillmove/registry.reg"); }

  void InstallPalmExe(const std::string& content) { WriteFile(Palm() + "palm.exe", content); }

  // A sample database of the given layout where Palm Desktop keeps Ann's.
  std::string WriteDatabase(const std::string& type, int layout) {
    const bool contacts = type == "contacts";
    std::string folder = Palm() + "LeeA/" + (contacts ? "address" : "datebook");
    std::filesystem::create_directories(folder);
    std::string path = folder + (contacts ? "/address.dat" : "/datebook.dat");
    bool saved = contacts ? (layout == 1 ? Save<PmAddrUtil>(path) : Save<PmAddrExUtil>(path))
                          : (layout == 1 ? Save<PmDateUtil>(path) : Save<PmDateExUtil>(path));
    EXPECT_TRUE(saved) << path;
    return path;
  }

  Run Cli(const std::string& args) const {
    const std::string home = home_.path();
    // Nothing of the user running the tests (Wine prefix, seed file, data folder) may leak in.
    return RunCommand("HOME='" + home + "' WINEPREFIX='" + home + "/wine' XDG_CONFIG_HOME='" +
                          home + "/config' XDG_DATA_HOME='" + home + "/data' TZ=UTC '" +
                          std::string(QM_BIN_DIR) + "/quillmove-cli' " + args,
                      home_.file("stderr"));
  }

  std::string DebugLog() const { return ReadFile(home_.file("data/korvane/VEGG/appdebug.log")); }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  template <class Loader>
  static bool Save(const std::string& path) {
    Loader db;
    FillSample(db, 12);
    return db.SaveAs(path);
  }

  TempDir home_;
};

struct ByUserCase {
  const char* name;
  const char* type;
  const char* palmExe;  // "a.b.c.d", "" for none, "damaged"
  int fileLayout;       // of the .dat in the user's folder
  int expectedLayout;   // 0: the dump fails
};

class DumpByUserLayoutTest : public DumpByUserTest,
                             public ::testing::WithParamInterface<ByUserCase> {};

TEST_P(DumpByUserLayoutTest, VersionChoosesTheLoader) {
  const ByUserCase& c = GetParam();
  std::string exe = c.palmExe;
  unsigned v[4];
  if (std::sscanf(c.palmExe, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]) == 4)
    exe = PeFileContent(static_cast<std::uint16_t>(v[0]), static_cast<std::uint16_t>(v[1]),
                        static_cast<std::uint16_t>(v[2]), static_cast<std::uint16_t>(v[3]));
  if (!exe.empty()) InstallPalmExe(exe);
  const std::string path = WriteDatabase(c.type, c.fileLayout);
  const std::string dump = std::string("dump palm ") + c.type;

  Run byUser = Cli(dump + " --user " + std::to_string(kAnn));
  if (c.expectedLayout == 0) {
    EXPECT_EQ(byUser.status, 1);
    EXPECT_EQ(byUser.out, "");
    const std::string title = std::string(c.type) == "contacts" ? "Contacts" : "Calendar";
    EXPECT_EQ(byUser.err.rfind("Failed to load Palm Desktop " + title + " information.\n", 0), 0u)
        << byUser.err;
    EXPECT_GT(byUser.err.size(),
              ("Failed to load Palm Desktop " + title + " information.\n").size());
    return;
  }
  ASSERT_EQ(byUser.status, 0) << byUser.err;
  // The same records as the file itself gives, read by the layout the version chose.
  Run byFile = Cli(dump + " --file '" + path + "'");
  ASSERT_EQ(byFile.status, 0) << byFile.err;
  EXPECT_FALSE(byUser.out.empty());
  EXPECT_EQ(byUser.out, byFile.out);
  Run native = Cli(dump + " --user " + std::to_string(kAnn) + " --native");
  ASSERT_EQ(native.status, 0) << native.err;
  const std::vector<std::string> lines = Lines(native.out);
  EXPECT_EQ(lines.size(), Lines(byUser.out).size());
  for (const std::string& line : lines)
    ASSERT_EQ(nlohmann::json::parse(line).at("layout"), c.expectedLayout) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DumpByUserLayoutTest,
    ::testing::Values(ByUserCase{"DateBook414ReadsLayout2", "calendar", "4.1.4.0", 2, 2},
                      ByUserCase{"DateBook412IsTheFirstLayout2", "calendar", "4.1.2.0", 2, 2},
                      ByUserCase{"DateBook411ReadsLayout1", "calendar", "4.1.1.0", 1, 1},
                      ByUserCase{"DateBookOlderThan35StillLayout1", "calendar", "3.0.5.0", 1, 1},
                      // By user the version decides, not the file: no fallback to the other layout.
                      ByUserCase{"DateBook411RefusesLayout2File", "calendar", "4.1.1.0", 2, 0},
                      ByUserCase{"DateBook6xWithoutItsDatabase", "calendar", "6.2.2.0", 2, 0},
                      // A copied folder has no readable palm.exe: the user's file decides.
                      ByUserCase{"DateBookNoPalmExeReadsTheFile", "calendar", "", 2, 2},
                      ByUserCase{"DateBookDamagedPalmExeReadsTheFile", "calendar", "damaged", 2, 2},
                      ByUserCase{"DateBookNoPalmExeLayout1File", "calendar", "", 1, 1},
                      ByUserCase{"AddressNoPalmExeLayout1File", "contacts", "", 1, 1},
                      ByUserCase{"Address414ReadsLayout2", "contacts", "4.1.4.0", 2, 2},
                      ByUserCase{"Address35ReadsLayout1", "contacts", "3.5.0.0", 1, 1},
                      ByUserCase{"AddressOlderThan35IsUnknown", "contacts", "3.0.5.0", 1, 0},
                      ByUserCase{"Address6xWithoutItsDatabase", "contacts", "6.0.1.0", 2, 0}),
    [](const ::testing::TestParamInfo<ByUserCase>& row) { return row.param.name; });

TEST_F(DumpByUserTest, UnknownOrMalformedUserPrintsNoRecords) {
  InstallPalmExe(PeFileContent(4, 1, 4, 0));
  WriteDatabase("calendar", 2);
  ASSERT_EQ(Cli("dump palm calendar --user " + std::to_string(kAnn)).status, 0);
  // An unknown user's folder is not the data root itself, whatever lies there.
  std::filesystem::create_directories(Palm() + "datebook");
  std::filesystem::copy_file(Palm() + "LeeA/datebook/datebook.dat",
                             Palm() + "datebook/datebook.dat");
  // 777 is Bob, who is known but has no date book.
  const std::pair<std::string, std::string> cases[] = {
      {"556", "Failed to get user database path by user ID.\n"},
      {"-555", "Failed to get user database path by user ID.\n"},
      {"555x", "not a user ID: 555x\n"},
      {"0x22B", "not a user ID: 0x22B\n"},
      {"777", "Failed to open file: " + Palm() + "StoneB/datebook/datebook.dat: No such file"}};
  for (const auto& [id, reason] : cases) {
    Run r = Cli("dump palm calendar --user " + id);
    EXPECT_EQ(r.status, 1) << id;
    EXPECT_EQ(r.out, "") << id;
    // The message, then the reason on the next line.
    EXPECT_EQ(r.err.rfind("Failed to load Palm Desktop Calendar information.\n" + reason, 0), 0u)
        << r.err;
  }
  EXPECT_NE(DebugLog().find("Failed to get user database path by user ID."), std::string::npos);
}

// HotSync ids are unsigned 32-bit values and often above 2^31; the user gives them as shown.
TEST_F(DumpByUserTest, HotSyncIdAboveTwoToThe31) {
  UsersDatWriter w(1);
  w.User(3000000000u, "Cy", "LeeA", true);
  WriteFile(Palm() + "Users.dat", w.Bytes());
  InstallPalmExe(PeFileContent(4, 1, 4, 0));
  WriteDatabase("calendar", 2);
  Run r = Cli("dump palm calendar --user 3000000000");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(r.out.empty());
}

// Ids are 32 bits: 2^32 + 555 is refused, not wrapped onto Ann's 555.
TEST_F(DumpByUserTest, IdBeyond32BitsIsNotAnotherUser) {
  InstallPalmExe(PeFileContent(4, 1, 4, 0));
  WriteDatabase("calendar", 2);
  Run r = Cli("dump palm calendar --user " + std::to_string((std::int64_t{1} << 32) + kAnn));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
}

// Folder names from Users.dat match the disk without regard to case, and never leave the Palm
// Desktop folder.
TEST_F(DumpByUserTest, UserFoldersStayInsideAndIgnoreCase) {
  UsersDatWriter w(2);
  w.User(kAnn, "Ann Lee", "leea", true).User(kBob, "Out", "..", false);
  WriteFile(Palm() + "Users.dat", w.Bytes());
  InstallPalmExe(PeFileContent(4, 1, 4, 0));
  WriteDatabase("calendar", 2);
  // What ".." would reach: the folder above the Palm Desktop folder.
  std::filesystem::create_directories(Palm() + "../datebook");
  std::filesystem::copy_file(Palm() + "LeeA/datebook/datebook.dat",
                             Palm() + "../datebook/datebook.dat");
  Run ann = Cli("dump palm calendar --user " + std::to_string(kAnn));
  EXPECT_EQ(ann.status, 0) << ann.err;
  EXPECT_FALSE(ann.out.empty());
  Run out = Cli("dump palm calendar --user " + std::to_string(kBob));
  EXPECT_EQ(out.status, 1);
  EXPECT_EQ(out.out, "");
}

TEST_F(DumpByUserTest, NoPalmDesktopFolderFails) {
  WriteDatabase("calendar", 2);
  InstallPalmExe(PeFileContent(4, 1, 4, 0));
  std::filesystem::remove(SeedFile());
  Run r = Cli("dump palm calendar --user " + std::to_string(kAnn));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "Failed to load Palm Desktop Calendar information.\n"
            "Failed to get user database path by user ID.\n");
}

}  // namespace
