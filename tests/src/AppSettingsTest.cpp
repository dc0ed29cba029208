#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <random>

#include "TestUtil.h"
#include "src/AppSettings.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.file("VEGG.ini"); }
  AppSettings Load(SettingsLoadResult* result = nullptr) {
    AppSettings s;
    CxIniUtil ini(dir_.folder(), "VEGG.ini");
    SettingsLoadResult r = LoadAppSettings(s, ini);
    if (result) *result = r;
    return s;
  }
  void Save(AppSettings& s) {
    CxIniUtil ini(dir_.folder(), "VEGG.ini");
    ASSERT_TRUE(SaveAppSettings(s, ini));
  }
  TempDir dir_;
};

TEST_F(SettingsTest, FirstRunDefaults) {
  AppSettings s = Load();
  EXPECT_EQ(s.SourceApp, 0);
  EXPECT_TRUE(s.SyncAddr);
  EXPECT_TRUE(s.SyncDate);
  EXPECT_TRUE(s.GGSaveEmail);
  EXPECT_FALSE(s.GGSavePassword);
  EXPECT_EQ(s.GGEmail, "");
  EXPECT_EQ(s.LogLevel, 3);
  EXPECT_EQ(s.NewColor, 0x008000);
  EXPECT_EQ(s.DiffColor, 0xFF0000);
  EXPECT_EQ(s.OLMode, 1);
  EXPECT_EQ(s.GGCustomLabel[0], "Custom 1");
  EXPECT_EQ(s.OLCustomLabel[8], "Custom 9");
  EXPECT_EQ(s.PDCodePage, 1252);
}

TEST_F(SettingsTest, RoundTripAndOrder) {
  AppSettings s = Load();
  s.SourceApp = 5;
  s.GGEmail = "ann@example.com";
  s.GGSavePassword = true;
  s.GGPassword = "p\xc3\xa4ss";
  s.PDCustomID[8] = 48;
  s.GGCustomLabel[2] = "Spouse";
  Save(s);
  AppSettings back = Load();
  EXPECT_EQ(back.SourceApp, 5);
  EXPECT_EQ(back.GGEmail, "ann@example.com");
  EXPECT_EQ(back.GGPassword, "p\xc3\xa4ss");
  EXPECT_EQ(back.PDCustomID[8], 48);
  EXPECT_EQ(back.GGCustomLabel[2], "Spouse");
  std::string file = ReadFile(Path());
  EXPECT_NE(file.find("GGPassword=" + Base64Encode("p\xc3\xa4ss") + "\n"), std::string::npos);
  // Save order: the gate of the ACT! user precedes it, the custom switches end the section.
  EXPECT_LT(file.find("ACTSaveUser="), file.find("ACTUserName="));
  EXPECT_LT(file.find("GGCustomLabel9="), file.find("ACTCustom="));
  EXPECT_EQ(file.find("DNHostName"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsTest, ClosedGateWritesEmptyValueAndLoadsEmpty) {
  AppSettings s = Load();
  s.GGSavePassword = true;
  s.GGPassword = "longer-password";
  Save(s);
  s.GGPassword = "short";
  Save(s);
  EXPECT_EQ(Load().GGPassword, "short");
  EXPECT_NE(ReadFile(Path()).find("GGPassword=" + Base64Encode("short") + "\n"), std::string::npos);
  s.GGSavePassword = false;
  Save(s);
  EXPECT_NE(ReadFile(Path()).find("GGPassword=\n"), std::string::npos);
  EXPECT_EQ(Load().GGPassword, "");
}

TEST_F(SettingsTest, HandEditedValues) {
  WriteFile(Path(),
            "[VEGG]\nDNHostName=crm.example\nSourceApp=2x\nGGSaveEmail=0\nGGEmail=kept@x\n"
            "ACTSaveUser=0\nACTUserName=bob\nGGSavePassword=1\nGGPassword=cGFz*c3dvcmQ=\n"
            "LNAppName=" +
                std::string(300, 'n') +
                "\nSFSaveToken=1\nSFToken=" + Base64Encode(std::string(400, 't')) + "\n");
  AppSettings s = Load();
  EXPECT_EQ(s.DNHostName, "crm.example");
  EXPECT_EQ(s.SourceApp, 2);
  EXPECT_EQ(s.GGEmail, "");         // gate off: not read
  EXPECT_EQ(s.ACTUserName, "bob");  // read whatever its gate says
  EXPECT_EQ(s.GGPassword, "pas");   // decoding stops at the invalid group
  EXPECT_EQ(s.LNAppName.size(), 255u);
  EXPECT_EQ(s.SFToken.size(), 255u);  // 1023 stored characters decode to more than fits
  Save(s);
  std::string file = ReadFile(Path());
  EXPECT_NE(file.find("DNHostName=crm.example"), std::string::npos);  // never written, kept
  EXPECT_NE(file.find("ACTUserName=\n"), std::string::npos);
}

// A reader that blocks on a FIFO is let go by opening the other end, so a fault fails the test
// instead of hanging it.
template <class F>
auto WithinSeconds(const std::string& fifo, F&& f) {
  auto job = std::async(std::launch::async, std::forward<F>(f));
  if (job.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    ADD_FAILURE() << "blocked on " << fifo;
    int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  return job.get();
}

TEST_F(SettingsTest, UnreadableFileIsNeverReplacedByDefaults) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    const char* reason;
  } cases[] = {
      {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
       "not a regular file"},
      {"folder", [](const std::string& p) { std::filesystem::create_directory(p); },
       "not a regular file"},
      {"no permission",
       [](const std::string& p) {
         WriteFile(p, "[VEGG]\nSourceApp=5\n");
         ::chmod(p.c_str(), 0);
       },
       "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (std::string(c.what) == "no permission" && ::geteuid() == 0) continue;  // root reads all
    std::filesystem::remove_all(Path());
    c.make(Path());
    struct stat before {};
    ASSERT_EQ(::lstat(Path().c_str(), &before), 0);
    SettingsLoadResult r;
    AppSettings s = WithinSeconds(Path(), [&] { return Load(&r); });
    EXPECT_FALSE(r.read);
    EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    EXPECT_EQ(s.LogLevel, 3);  // the run goes on with the defaults
    std::string why;
    bool saved = WithinSeconds(Path(), [&] {
      CxIniUtil ini(dir_.folder(), "VEGG.ini");
      return SaveAppSettings(s, ini, &why);
    });
    EXPECT_FALSE(saved);
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    struct stat after {};
    ASSERT_EQ(::lstat(Path().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
  }
}

TEST_F(SettingsTest, ByteOrderMarkIsReadAndKept) {
  WriteFile(Path(), "\xEF\xBB\xBF[VEGG]\r\nSourceApp=5\r\n[Path]\r\nPDPath=/p\r\n");
  AppSettings s = Load();
  EXPECT_EQ(s.SourceApp, 5);
  Save(s);
  std::string file = ReadFile(Path());
  EXPECT_EQ(file.rfind("\xEF\xBB\xBF[VEGG]\r\nSourceApp=5\r\n", 0), 0u);
  EXPECT_EQ(file.find("[VEGG]"), file.rfind("[VEGG]"));  // one section, not a second
  EXPECT_NE(file.find("[Path]\r\nPDPath=/p\r\n"), std::string::npos);
}

TEST_F(SettingsTest, SymbolicLinkStaysALink) {
  std::filesystem::create_directories(dir_.file("real"));
  WriteFile(dir_.file("real/settings.ini"), "[VEGG]\nSourceApp=4\n");
  std::filesystem::create_symlink("real/settings.ini", dir_.file("hop"));
  std::filesystem::create_symlink("hop", Path());  // a chain, relative at each step
  AppSettings s = Load();
  EXPECT_EQ(s.SourceApp, 4);
  s.SourceApp = 5;
  Save(s);
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("hop")));
  EXPECT_EQ(Load().SourceApp, 5);
  EXPECT_NE(ReadFile(dir_.file("real/settings.ini")).find("SourceApp=5\n"), std::string::npos);
  // A dangling link makes its target.
  std::filesystem::remove(dir_.file("real/settings.ini"));
  Save(s);
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
  EXPECT_EQ(Load().SourceApp, 5);
}

bool ValidUtf8(std::string_view t) {
  for (std::size_t i = 0; i < t.size();) {
    auto c = static_cast<unsigned char>(t[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > t.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// Every text key, filled with random text of 1- to 4-byte characters of every byte length from
// a few below its limit to a few above: what is kept is whole UTF-8, a prefix of what was
// written, within the limit, and each cut is reported.
TEST_F(SettingsTest, CutsEndOnAWholeCharacterAndAreReported) {
  const char* pieces[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  std::mt19937 rng(14);
  std::vector<const SettingKey*> texts;
  for (const SettingKey& k : AppSettingKeys())
    if (k.kind == SettingKey::kText || k.kind == SettingKey::kEncoded) texts.push_back(&k);
  AppSettings probe;
  for (int delta = -4; delta <= 4; ++delta) {
    std::string file = "[VEGG]\n";
    for (const SettingKey& k : AppSettingKeys())
      if (k.kind == SettingKey::kBool) file += k.name + "=1\n";  // every gate open
    std::map<std::string, std::string> written;
    for (const SettingKey* k : texts) {
      std::size_t limit =
          k->kind == SettingKey::kEncoded ? k->textField(probe).width - 1 : k->storedCapacity - 1;
      std::string text;
      while (text.size() < limit + static_cast<std::size_t>(delta + 4) - 4)
        text += pieces[rng() % 4];
      written[k->name] = text;
      file += k->name + "=" + (k->kind == SettingKey::kEncoded ? Base64Encode(text) : text) + "\n";
    }
    WriteFile(Path(), file);
    SettingsLoadResult r;
    AppSettings s = Load(&r);
    for (const SettingKey* k : texts) {
      SCOPED_TRACE(k->name + " delta " + std::to_string(delta));
      std::string_view kept = k->textField(s).view();
      const std::string& in = written[k->name];
      EXPECT_TRUE(ValidUtf8(kept));
      EXPECT_EQ(in.compare(0, kept.size(), kept), 0);
      EXPECT_LE(kept.size(), k->textField(s).width - 1);
      EXPECT_GT(kept.size() + 4, std::min(in.size(), k->textField(s).width - 1));
      bool cut = kept.size() < in.size();
      bool reported = std::any_of(r.cuts.begin(), r.cuts.end(), [&](const std::string& c) {
        return c.rfind(k->name + ":", 0) == 0 || c.rfind(k->name + " (decoded):", 0) == 0;
      });
      EXPECT_EQ(cut, reported);
    }
  }
}

TEST(Base64, KnownVectorsAndRoundTrip) {
  struct {
    const char* plain;
    const char* encoded;
  } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Base64Encode(c.plain), c.encoded);
    EXPECT_EQ(Base64Decode(c.encoded), c.plain);
  }
  EXPECT_EQ(Base64Decode("Zm9vYg"), "foob");  // an unpadded tail still gives its bytes
  EXPECT_EQ(Base64Decode("Zm9v!!!!Zm9v"), "foo");
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(Base64Decode(Base64Encode(all)), all);
}

TEST(AppDataFolder, CreatedUnderXdgDataHome) {
  TempDir dir;
  ScopedEnv env("XDG_DATA_HOME", dir.path() + "/data");
  std::string folder;
  ASSERT_TRUE(GetAppDataFolder(folder));
  EXPECT_EQ(folder, dir.path() + "/data/korvane/VEGG/");
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/data/korvane/VECommon"));
  EXPECT_EQ(AppSettingsPath(), folder + "VEGG.ini");
  char small[8];
  EXPECT_FALSE(GetAppDataFolder(small, sizeof small));
}

TEST(AppDataFolder, FallsBackBesideTheProgram) {
  TempDir dir;
  WriteFile(dir.file("blocker"), "");
  ScopedEnv env("XDG_DATA_HOME", dir.file("blocker"));  // a file where a folder should be
  std::string folder;
  EXPECT_FALSE(GetAppDataFolder(folder));
  std::string path = AppSettingsPath();
  EXPECT_EQ(path.substr(path.size() - 12), "/korvane.ini");
}

}  // namespace
