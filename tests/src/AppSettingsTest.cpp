#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestUtil.h"
#include "src/AppSettings.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.file("VEGG.ini"); }
  AppSettings Load() {
    AppSettings s;
    CxIniUtil ini(dir_.folder(), "VEGG.ini");
    LoadAppSettings(s, ini);
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
