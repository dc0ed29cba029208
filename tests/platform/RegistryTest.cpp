#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TestUtil.h"

namespace fs = std::filesystem;
using platform::FileRegistry;
using platform::MemoryRegistry;
using platform::RegKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

namespace {

std::string Text(const std::optional<RegKey>& key, std::string_view name) {
  std::string out;
  if (!key || !key->QueryText(name, out)) return "<none>";
  return out;
}

constexpr char kSystemReg[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win32\n"
    "\n"
    "[Software\\\\Lotus\\\\Notes] 1700000000\n"
    "#time=1da0c3d4e5f6a7b\n"
    "\"Path\"=\"C:\\\\Program Files\\\\Lotus\\\\Notes\\\\\"\n"
    "\"Name\"=\"caf\\x00e9 \\\"q\\\" \\t|\\101|\\x41g|\\xd83d\\xde00\"\n"
    "\"Share\"=\"\\\\\\\\server\\\\share\"\n"
    "\"Expand\"=str(2):\"D:\\\\Data\"\n"
    "\"Count\"=dword:0000002a\n"
    "\"Blob\"=hex:01,02,03,\\\n"
    "  04,05\n"
    "\"Wide\"=hex(2):41,00,42,00,00,00\n"
    "@=\"default\"\n"
    "\n"
    "[Software\\\\Odd\\]Name] 1700000000\n"
    "\"V\"=\"x\"\n";

constexpr char kUserReg[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "[Software\\\\Lotus\\\\Notes\\\\Installer] 1700000000\n"
    "\"DATADIR\"=\"C:\\\\Notes\\\\Data\"\n";

class WinePrefixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("system.reg", kSystemReg);
    dir_.Write("user.reg", kUserReg);
  }
  TempDir dir_;
};

TEST_F(WinePrefixTest, DrivePathsMapIntoTheDosDevicesFolder) {
  FileRegistry reg(dir_.path(), "");
  auto key = reg.OpenKey(RegRoot::kLocalMachine, "SOFTWARE\\LOTUS\\NOTES");
  EXPECT_EQ(Text(key, "PATH"), dir_.path() + "/dosdevices/c:/Program Files/Lotus/Notes/");
  EXPECT_EQ(Text(key, "Expand"), dir_.path() + "/dosdevices/d:/Data");
  // Not a drive path: left alone.
  EXPECT_EQ(Text(key, "Share"), "\\\\server\\share");
  auto user = reg.OpenKey(RegRoot::kCurrentUser, "Software\\Lotus\\Notes\\Installer");
  EXPECT_EQ(Text(user, "datadir"), dir_.path() + "/dosdevices/c:/Notes/Data");
}

TEST_F(WinePrefixTest, EscapesDecodeToUtf8) {
  FileRegistry reg(dir_.path(), "");
  auto key = reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Notes");
  EXPECT_EQ(Text(key, "Name"), "caf\xC3\xA9 \"q\" \t|A|Ag|\xF0\x9F\x98\x80");
  EXPECT_EQ(Text(key, "@"), "default");
  EXPECT_EQ(Text(key, ""), "default");
  EXPECT_EQ(Text(key, "Wide"), "AB");
  EXPECT_EQ(Text(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Odd]Name"), "V"), "x");
}

TEST_F(WinePrefixTest, NumbersAndBytesAreNotText) {
  FileRegistry reg(dir_.path(), "");
  auto key = reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Notes");
  ASSERT_TRUE(key);
  RegValue v;
  ASSERT_TRUE(key->QueryValue("count", v));
  EXPECT_EQ(v.type, RegType::kDword);
  EXPECT_EQ(v.dword, 42u);
  ASSERT_TRUE(key->QueryValue("Blob", v));
  EXPECT_EQ(v.bytes, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
  std::string text = "stale";
  EXPECT_FALSE(key->QueryText("Count", text));
  EXPECT_EQ(text, "");
}

TEST_F(WinePrefixTest, AbsentKeysAndValuesFailButParentsExist) {
  FileRegistry reg(dir_.path(), "");
  EXPECT_TRUE(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus"));
  EXPECT_TRUE(reg.OpenKey(RegRoot::kLocalMachine, "Software\\\\Lotus\\Notes\\"));
  EXPECT_FALSE(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Domino"));
  // Each file holds one root only.
  EXPECT_FALSE(reg.OpenKey(RegRoot::kCurrentUser, "Software\\Lotus\\Notes\\Path"));
  EXPECT_FALSE(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Notes\\Installer"));
  EXPECT_EQ(Text(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Notes"), "Missing"),
            "<none>");
}

TEST(WinePrefix, SixtyFourBitPrefixesAnswerFromWow6432NodeFirst) {
  TempDir dir;
  dir.Write("system.reg",
            "WINE REGISTRY Version 2\n#arch=win64\n"
            "[Software\\\\ACT\\\\Install]\n\"AppName\"=\"act64.exe\"\n\"Only64\"=\"y\"\n"
            "[Software\\\\Wow6432Node\\\\ACT\\\\Install]\n\"AppName\"=\"act.exe\"\n"
            "[Software\\\\Other]\n\"V\"=\"native\"\n");
  FileRegistry reg(dir.path(), "");
  auto key = reg.OpenKey(RegRoot::kLocalMachine, "SOFTWARE\\ACT\\Install");
  EXPECT_EQ(Text(key, "AppName"), "act.exe");
  EXPECT_EQ(Text(key, "Only64"), "<none>");
  EXPECT_EQ(Text(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Other"), "V"), "native");
}

TEST(SeedFile, RegeditSyntaxWithRootsAndValuesAsWritten) {
  TempDir dir;
  std::string seed = dir.Write("seed.reg",
                               "Windows Registry Editor Version 5.00\n\r\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ACT\\Install]\r\n"
                               "\"InstallPath\"=\"C:\\\\ACT\"\r\n"
                               "[HKCU\\Software\\Lotus\\Notes\\Installer]\n"
                               "\"DATADIR\"=\"/home/u/notes/\"\n"
                               "[HKEY_CLASSES_ROOT\\Software\\ACT\\Install]\n"
                               "\"AppName\"=\"wrong-root.exe\"\n");
  FileRegistry reg("", seed);
  auto act = reg.OpenKey(RegRoot::kLocalMachine, "software\\act\\install");
  EXPECT_EQ(Text(act, "InstallPath"), "C:\\ACT");
  EXPECT_EQ(Text(act, "AppName"), "<none>");
  EXPECT_EQ(
      Text(reg.OpenKey(RegRoot::kCurrentUser, "Software\\Lotus\\Notes\\Installer"), "DATADIR"),
      "/home/u/notes/");
}

TEST(SeedFile, Utf16ExportOfRegeditIsRead) {
  std::string utf8 = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n\"N\"=\"\xC3\xA9\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : utf8) {
    if (c == '\xC3') continue;
    utf16 += c == '\xA9' ? '\xE9' : c;
    utf16 += '\0';
  }
  TempDir dir;
  FileRegistry reg("", dir.Write("seed.reg", utf16));
  EXPECT_EQ(Text(reg.OpenKey(RegRoot::kLocalMachine, "Software\\X"), "N"), "\xC3\xA9");
}

TEST(SeedFile, LiesOverTheWinePrefixAndIsReadAgainWhenItChanges) {
  TempDir dir;
  dir.Write("system.reg", kSystemReg);
  std::string seed =
      dir.Write("seed.reg", "[HKLM\\Software\\Lotus\\Notes]\n\"Path\"=\"/opt/n/\"\n");
  FileRegistry reg(dir.path(), seed);
  auto key = reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Notes");
  EXPECT_EQ(Text(key, "Path"), "/opt/n/");
  EXPECT_EQ(Text(key, "Count"), "<none>");  // still there, but a number
  RegValue v;
  EXPECT_TRUE(key->QueryValue("Count", v));

  dir.Write("seed.reg", "[HKLM\\Software\\Lotus\\Notes]\n\"Path\"=\"/opt/notes-9/\"\n");
  EXPECT_EQ(Text(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Notes"), "Path"),
            "/opt/notes-9/");
  fs::remove(seed);
  EXPECT_EQ(Text(reg.OpenKey(RegRoot::kLocalMachine, "Software\\Lotus\\Notes"), "Path"),
            dir.path() + "/dosdevices/c:/Program Files/Lotus/Notes/");
}

// Each damaged line is skipped; the good line after it is still read.
class DamagedLineTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedLineTest, IsSkipped) {
  MemoryRegistry reg;
  reg.ParseRegText(std::string("[HKLM\\K]\n") + GetParam() + "\n\"Good\"=\"yes\"\n");
  auto key = reg.OpenKey(RegRoot::kLocalMachine, "K");
  EXPECT_EQ(Text(key, "Good"), "yes");
  EXPECT_EQ(Text(key, "Bad"), "<none>");
}

INSTANTIATE_TEST_SUITE_P(Lines, DamagedLineTest,
                         ::testing::Values("\"Bad\"=\"unterminated", "\"Bad", "\"Bad\"",
                                           "\"Bad\"=dword:123456789", "\"Bad\"=dword:xyz",
                                           "\"Bad\"=hex:1,02", "\"Bad\"=hex(zz):01",
                                           "\"Bad\"=hex(fffffffff):01", "\"Bad\"=str(2):x",
                                           "\"Bad\"=-", "@"));

TEST(MemoryRegistry, ValuesUnderADamagedHeaderDoNotFallIntoThePreviousKey) {
  MemoryRegistry reg;
  reg.ParseRegText("[HKLM\\K]\n\"A\"=\"1\"\n[HKLM\\L\n\"B\"=\"2\"\n[HKLM\\M]\n\"C\"=\"3\"\n");
  auto k = reg.OpenKey(RegRoot::kLocalMachine, "K");
  EXPECT_EQ(Text(k, "A"), "1");
  EXPECT_EQ(Text(k, "B"), "<none>");
  EXPECT_EQ(Text(reg.OpenKey(RegRoot::kLocalMachine, "M"), "C"), "3");
}

TEST(MemoryRegistry, ValuesBeforeAnyHeaderAndUnknownRootsAreIgnored) {
  MemoryRegistry reg;
  reg.ParseRegText("\"Orphan\"=\"1\"\n[HKEY_USERS\\X]\n\"V\"=\"2\"\n[HKLMX\\Y]\n\"V\"=\"3\"\n");
  EXPECT_FALSE(reg.OpenKey(RegRoot::kLocalMachine, "X"));
  EXPECT_FALSE(reg.OpenKey(RegRoot::kLocalMachine, "Y"));
  EXPECT_TRUE(reg.OpenKey(RegRoot::kLocalMachine, ""));  // the root always opens
}

TEST(ProcessRegistry, InstalledStoreWinsUntilCleared) {
  TempDir dir;
  std::string seed = dir.Write("seed.reg", "[HKLM\\Software\\S]\n\"V\"=\"seeded\"\n");
  ::setenv("WINEPREFIX", (dir.path() + "/no-prefix").c_str(), 1);
  platform::SetRegistrySeedFile(seed);
  EXPECT_EQ(Text(platform::CurrentRegistry()->OpenKey(RegRoot::kLocalMachine, "Software\\S"), "V"),
            "seeded");

  auto mem = std::make_shared<MemoryRegistry>();
  mem->SetText(RegRoot::kLocalMachine, "Software\\S", "V", "double");
  platform::SetRegistry(mem);
  EXPECT_EQ(Text(platform::CurrentRegistry()->OpenKey(RegRoot::kLocalMachine, "Software\\S"), "V"),
            "double");
  platform::SetRegistry(nullptr);
  EXPECT_EQ(Text(platform::CurrentRegistry()->OpenKey(RegRoot::kLocalMachine, "Software\\S"), "V"),
            "seeded");
  ::unsetenv("WINEPREFIX");
}

TEST(ProcessRegistry, SeedFileDefaultsToTheXdgConfigFolder) {
  const char* home = std::getenv("HOME");
  std::string savedHome = home ? home : "";
  ::setenv("XDG_CONFIG_HOME", "/cfg/", 1);
  EXPECT_EQ(platform::DefaultRegistrySeedFile(), "/cfg/quillmove/registry.reg");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // invalid by the XDG rules
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(platform::DefaultRegistrySeedFile(), "/home/u/.config/quillmove/registry.reg");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
