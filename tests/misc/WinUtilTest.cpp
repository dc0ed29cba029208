#include "misc/WinUtil.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "PeFixture.h"
#include "TestUtil.h"
#include "misc/PeVersion.h"
#include "platform/PlatformPaths.h"
#include "platform/Registry.h"
#include "platform/ShellOpen.h"

namespace fs = std::filesystem;
using platform::RegRoot;

namespace {

std::optional<PeFileVersion> Parse(const PeImage& img) {
  return ReadPeFileVersion(img.bytes);
}

class PeVersionTest : public ::testing::TestWithParam<bool> {};

TEST_P(PeVersionTest, ReadsTheFixedFileVersion) {
  EXPECT_EQ(Parse(BuildPe(GetParam(), 4, 1, 4, 0)), (PeFileVersion{4, 1, 4, 0}));
  EXPECT_EQ(Parse(BuildPe(GetParam(), 12, 0, 6423, 1000)), (PeFileVersion{12, 0, 6423, 1000}));
  EXPECT_EQ(Parse(BuildPe(GetParam(), 65535, 65535, 65535, 65535)),
            (PeFileVersion{65535, 65535, 65535, 65535}));
}

TEST_P(PeVersionTest, EveryTruncationFailsCleanly) {
  PeImage img = BuildPe(GetParam(), 4, 1, 4, 0);
  for (std::size_t n = 0; n < img.bytes.size(); ++n) {
    std::span<const std::uint8_t> prefix(img.bytes.data(), n);
    // A copy of exactly n bytes, so ASan sees any read past the end.
    std::vector<std::uint8_t> exact(prefix.begin(), prefix.end());
    EXPECT_FALSE(ReadPeFileVersion(exact)) << "prefix " << n;
  }
}

struct Damage {
  const char* what;
  void (*apply)(PeImage&);
};

const Damage kDamages[] = {
    {"not MZ", [](PeImage& i) { i.Put16(0, 0x5A4E); }},
    {"PE header outside", [](PeImage& i) { i.Put32(i.lfanew, 0xFFFFFFF0u); }},
    {"PE header at the last byte", [](PeImage& i) { i.Put32(i.lfanew, 0xFFFFFFFFu); }},
    {"ROM image magic", [](PeImage& i) { i.Put16(i.magic, 0x107); }},
    {"no resource directory", [](PeImage& i) { i.Put32(i.dirCount, 2); }},
    {"optional header too short", [](PeImage& i) { i.Put16(i.optionalSize, 16); }},
    {"huge section count", [](PeImage& i) { i.Put16(i.sectionCount, 0xFFFF); }},
    {"resource RVA in no section", [](PeImage& i) { i.Put32(i.resourceRva, 0x90000000u); }},
    {"zero resource RVA", [](PeImage& i) { i.Put32(i.resourceRva, 0); }},
    {"section data outside the file", [](PeImage& i) { i.Put32(i.rawOffset, 0xFFFFFFF0u); }},
    {"section smaller than a directory", [](PeImage& i) { i.Put32(i.rawSize, 8); }},
    {"entries past the section", [](PeImage& i) { i.Put16(i.rootIdCount, 4000); }},
    {"huge entry counts", [](PeImage& i) { i.Put16(i.rootIdCount, 0xFFFF); }},
    {"no RT_VERSION", [](PeImage& i) { i.Put32(i.versionEntry - 4, 17); }},
    {"RT_VERSION is data", [](PeImage& i) { i.Put32(i.versionEntry, 0x40); }},
    {"directory offset outside", [](PeImage& i) { i.Put32(i.versionEntry, 0xFFFFFFF8u); }},
    {"name level loops on itself", [](PeImage& i) { i.Put32(i.nameEntry, 0x80000040u); }},
    {"language level loops on itself", [](PeImage& i) { i.Put32(i.languageEntry, 0x80000058u); }},
    {"data entry outside", [](PeImage& i) { i.Put32(i.languageEntry, 0x7FFFFFF0u); }},
    {"data RVA outside", [](PeImage& i) { i.Put32(i.dataRva, 0xFFFFFFFFu); }},
    {"data size huge", [](PeImage& i) { i.Put32(i.dataSize, 0xFFFFFFFFu); }},
    {"data size short", [](PeImage& i) { i.Put32(i.dataSize, 60); }},
    {"block longer than its data", [](PeImage& i) { i.Put16(i.versionLength, 200); }},
    {"block too short", [](PeImage& i) { i.Put16(i.versionLength, 91); }},
    {"no fixed part", [](PeImage& i) { i.Put16(i.versionValueLength, 0); }},
    {"wrong key", [](PeImage& i) { i.Put16(i.versionKey + 28, 'X'); }},
    {"wrong signature", [](PeImage& i) { i.Put32(i.signature, 0xFEEF04BC); }},
};

class PeDamageTest : public ::testing::TestWithParam<std::tuple<bool, Damage>> {};

TEST_P(PeDamageTest, FailsCleanly) {
  PeImage img = BuildPe(std::get<0>(GetParam()), 4, 1, 4, 0);
  std::get<1>(GetParam()).apply(img);
  EXPECT_FALSE(Parse(img)) << std::get<1>(GetParam()).what;
}

INSTANTIATE_TEST_SUITE_P(Both, PeVersionTest, ::testing::Bool());
INSTANTIATE_TEST_SUITE_P(Hostile, PeDamageTest,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(kDamages)));

TEST(PeVersion, RandomByteDamageNeverCrashes) {
  std::mt19937 rng(20261208);
  for (bool plus : {false, true}) {
    const PeImage good = BuildPe(plus, 4, 1, 4, 0);
    for (int round = 0; round < 3000; ++round) {
      std::vector<std::uint8_t> bytes = good.bytes;
      for (int k = 0; k < 4; ++k) {
        bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
      }
      (void)ReadPeFileVersion(bytes);
    }
  }
}

// --- files and the registry ---------------------------------------------------------------

TEST(GetFileVersion, ReadsAFileAndMatchesItsNameWithoutCase) {
  TempDir dir;
  std::string exact = dir.Write("palm.exe", BuildPe(false, 4, 1, 4, 0).bytes);
  dir.Write("outlook.exe", BuildPe(true, 12, 0, 6423, 1000).bytes);
  int a = -1, b = -1, c = -1, d = -1;
  ASSERT_TRUE(GetFileVersion(exact, a, b, c, d));
  EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{4, 1, 4, 0}));
  ASSERT_TRUE(GetFileVersion(dir.path() + "/OUTLOOK.EXE", a, b, c, d));
  EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{12, 0, 6423, 1000}));

  for (std::string bad : {std::string(), dir.path() + "/missing.exe", dir.path()}) {
    a = b = c = d = 7;
    EXPECT_FALSE(GetFileVersion(bad, a, b, c, d)) << bad;
    EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{0, 0, 0, 0}));
  }
}

class RegistryLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reg_ = std::make_shared<platform::MemoryRegistry>();
    platform::SetRegistry(reg_);
  }
  void TearDown() override { platform::SetRegistry(nullptr); }
  void Set(RegRoot root, const char* key, const char* name, std::string value) {
    reg_->SetText(root, key, name, std::move(value));
  }
  static constexpr const char* kOutlook =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";

  std::shared_ptr<platform::MemoryRegistry> reg_;
  TempDir dir_;
  char buf_[260] = "stale";
};

TEST_F(RegistryLookupTest, OutlookVersionAndPath) {
  dir_.Write("Office12/OUTLOOK.EXE", BuildPe(false, 12, 0, 6423, 1000).bytes);
  Set(RegRoot::kLocalMachine, kOutlook, "Path", dir_.path() + "/Office12/");
  ASSERT_TRUE(GetOutlookVersion(buf_, sizeof buf_));
  EXPECT_STREQ(buf_, "12.0.6423.1000");
  ASSERT_TRUE(GetOutlookProgramPath(buf_, sizeof buf_));
  EXPECT_EQ(buf_, dir_.path() + "/Office12/OUTLOOK.EXE");
  // A short buffer gets the path cut, never overrun.
  char small[8] = "xxxxxxx";
  ASSERT_TRUE(GetOutlookProgramPath(small, sizeof small));
  EXPECT_EQ(std::string(small), (dir_.path() + "/").substr(0, 7));
  // The version text does not fit: failure, not a partial version.
  char tiny[5] = "xxxx";
  EXPECT_FALSE(GetOutlookVersion(tiny, sizeof tiny));
  EXPECT_STREQ(tiny, "");
}

TEST_F(RegistryLookupTest, AppPathWithoutTrailingSeparatorRunsTogetherAndHasNoVersion) {
  dir_.Write("Office12/OUTLOOK.EXE", BuildPe(false, 12, 0, 6423, 1000).bytes);
  Set(RegRoot::kLocalMachine, kOutlook, "Path", dir_.path() + "/Office12");
  EXPECT_FALSE(GetOutlookVersion(buf_, sizeof buf_));
  EXPECT_STREQ(buf_, "");
  ASSERT_TRUE(GetOutlookProgramPath(buf_, sizeof buf_));
  EXPECT_EQ(buf_, dir_.path() + "/Office12OUTLOOK.EXE");
}

TEST_F(RegistryLookupTest, MissingKeysAndValuesFailWithEmptyText) {
  using Lookup = bool (*)(char*, std::size_t);
  for (Lookup f : {GetNotesProgramFolder, GetNotesDataFolder, GetNotesVersion, GetActInstallPath,
                   GetActAppName, GetActProgramPath, GetOutlookVersion, GetOutlookProgramPath}) {
    std::strcpy(buf_, "stale");
    EXPECT_FALSE(f(buf_, sizeof buf_));
    EXPECT_STREQ(buf_, "");
    EXPECT_FALSE(f(nullptr, 10));
    EXPECT_FALSE(f(buf_, 0));
  }
  // The key exists but holds a number, not a path.
  platform::RegValue number;
  number.type = platform::RegType::kDword;
  reg_->SetValue(RegRoot::kLocalMachine, "SOFTWARE\\Lotus\\Notes", "Path", number);
  EXPECT_FALSE(GetNotesProgramFolder(buf_, sizeof buf_));
}

TEST_F(RegistryLookupTest, NotesFoldersAndVersion) {
  dir_.Write("notes/Notes.exe", BuildPe(false, 8, 5, 2, 0).bytes);
  Set(RegRoot::kLocalMachine, "SOFTWARE\\Lotus\\Notes", "Path", dir_.path() + "/notes");
  ASSERT_TRUE(GetNotesProgramFolder(buf_, sizeof buf_));
  EXPECT_EQ(buf_, dir_.path() + "/notes");
  ASSERT_TRUE(GetNotesVersion(buf_, sizeof buf_));
  EXPECT_STREQ(buf_, "8.5.2.0");

  // A path that does not fit is not returned in part.
  char small[10];
  EXPECT_FALSE(GetNotesProgramFolder(small, sizeof small));
  EXPECT_STREQ(small, "");

  Set(RegRoot::kLocalMachine, "SOFTWARE\\Lotus\\Notes", "Path", "");
  EXPECT_FALSE(GetNotesVersion(buf_, sizeof buf_));
}

struct FolderCase {
  const char* value;
  const char* expected;  // nullptr: failure
};

class NotesDataFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(NotesDataFolderTest, EndsWithOneSeparator) {
  auto reg = std::make_shared<platform::MemoryRegistry>();
  reg->SetText(RegRoot::kCurrentUser, "Software\\Lotus\\Notes\\Installer", "DATADIR",
               GetParam().value);
  platform::SetRegistry(reg);
  char buf[64] = "stale";
  EXPECT_EQ(GetNotesDataFolder(buf, sizeof buf), GetParam().expected != nullptr);
  EXPECT_STREQ(buf, GetParam().expected ? GetParam().expected : "");
  platform::SetRegistry(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Values, NotesDataFolderTest,
                         ::testing::Values(FolderCase{"/home/u/notes/data", "/home/u/notes/data/"},
                                           FolderCase{"/home/u/notes/data/", "/home/u/notes/data/"},
                                           FolderCase{"C:\\Notes\\Data", "C:\\Notes\\Data\\"},
                                           FolderCase{"C:\\Notes\\Data\\", "C:\\Notes\\Data\\"},
                                           FolderCase{"data", "data/"}, FolderCase{"", nullptr}));

TEST_F(RegistryLookupTest, ActProgramPathJoinsFolderAndName) {
  Set(RegRoot::kLocalMachine, "SOFTWARE\\ACT\\Install", "InstallPath", "/opt/act");
  EXPECT_FALSE(GetActProgramPath(buf_, sizeof buf_));  // no AppName yet
  Set(RegRoot::kLocalMachine, "SOFTWARE\\ACT\\Install", "AppName", "Act.exe");
  ASSERT_TRUE(GetActProgramPath(buf_, sizeof buf_));
  EXPECT_STREQ(buf_, "/opt/act/Act.exe");
  Set(RegRoot::kLocalMachine, "SOFTWARE\\ACT\\Install", "InstallPath", "/opt/act/");
  ASSERT_TRUE(GetActProgramPath(buf_, sizeof buf_));
  EXPECT_STREQ(buf_, "/opt/act/Act.exe");
  ASSERT_TRUE(GetActAppName(buf_, sizeof buf_));
  EXPECT_STREQ(buf_, "Act.exe");
}

// The whole road: a Wine prefix's registry names a drive path, the file sits on that drive.
TEST(WinePrefixLookup, OutlookFoundThroughTheDosDevicesLink) {
  TempDir dir;
  dir.Write("drive_c/Program Files/Microsoft Office/Office12/OUTLOOK.EXE",
            BuildPe(true, 12, 0, 4518, 1014).bytes);
  fs::create_directories(dir.path() + "/dosdevices");
  fs::create_directory_symlink("../drive_c", dir.path() + "/dosdevices/c:");
  std::string reg =
      "WINE REGISTRY Version 2\n#arch=win32\n"
      "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\OUTLOOK.EXE] 1\n"
      "\"Path\"=\"C:\\\\Program Files\\\\Microsoft Office\\\\Office12\\\\\"\n";
  dir.Write("system.reg", std::vector<std::uint8_t>(reg.begin(), reg.end()));
  platform::SetRegistry(std::make_shared<platform::FileRegistry>(dir.path(), ""));
  char buf[260];
  EXPECT_TRUE(GetOutlookVersion(buf, sizeof buf));
  EXPECT_STREQ(buf, "12.0.4518.1014");
  platform::SetRegistry(nullptr);
}

// --- dates --------------------------------------------------------------------------------

SYSTEMTIME Day(int y, int m, int d, int hour = 0) {
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(m);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(hour);
  return st;
}

TEST(CompareDates, YearThenMonthThenDayOnly) {
  struct Case {
    SYSTEMTIME a, b;
    int expected;
  };
  const Case cases[] = {
      {Day(2012, 5, 1, 10), Day(2012, 5, 1, 23), 0},
      {Day(2012, 5, 1), Day(2012, 5, 2), -1},
      {Day(2012, 6, 1), Day(2012, 5, 31), 1},
      {Day(2011, 12, 31), Day(2012, 1, 1), -1},
      {Day(2013, 1, 1), Day(2012, 12, 31), 1},
      {Day(2012, 1, 300), Day(2012, 2, 1), -1},  // a damaged day never outranks the month
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareDates(&c.a, &c.b), c.expected);
    EXPECT_EQ(CompareDates(&c.b, &c.a), -c.expected);
  }
  SYSTEMTIME t = Day(2012, 5, 1);
  EXPECT_EQ(CompareDates(nullptr, &t), -1);
  EXPECT_EQ(CompareDates(&t, nullptr), 1);
  EXPECT_EQ(CompareDates(nullptr, nullptr), -1);
}

TEST(CopyDate, KeepsTheDestinationsTimeOfDay) {
  SYSTEMTIME src = Day(2012, 5, 1, 10);
  src.wDayOfWeek = 2;
  src.wMinute = 5;
  SYSTEMTIME dst = Day(1999, 1, 2, 23);
  dst.wMinute = 59;
  ASSERT_TRUE(CopyDate(&src, &dst));
  EXPECT_EQ(dst.wYear, 2012);
  EXPECT_EQ(dst.wMonth, 5);
  EXPECT_EQ(dst.wDay, 1);
  EXPECT_EQ(dst.wDayOfWeek, 2);
  EXPECT_EQ(dst.wHour, 23);
  EXPECT_EQ(dst.wMinute, 59);
  EXPECT_FALSE(CopyDate(nullptr, &dst));
  EXPECT_FALSE(CopyDate(&src, nullptr));
}

TEST(DateTextOrNA, SmallDatesAreNotAvailable) {
  struct Case {
    double date;
    const char* dateText;
    const char* timeText;
  };
  const Case cases[] = {
      {0.0, "N/A", "N/A"},     {0.0009, "N/A", "N/A"},
      {-1.5, "N/A", "N/A"},    {41030.75, "05/01/2012", "18:00:00"},  // 2012-05-01 18:00
      {0.001, "", "00:01:26"},  // 1899-12-30 is outside the date text's years
  };
  char buf[32];
  for (const Case& c : cases) {
    ASSERT_TRUE(DateTextOrNA(OleDate(c.date), buf, sizeof buf));
    EXPECT_STREQ(buf, c.dateText) << c.date;
    ASSERT_TRUE(TimeTextOrNA(OleDate(c.date), buf, sizeof buf));
    EXPECT_STREQ(buf, c.timeText) << c.date;
  }
  char small[4];
  ASSERT_TRUE(DateTextOrNA(OleDate(41030.75), small, sizeof small));
  EXPECT_STREQ(small, "05/");
  EXPECT_FALSE(DateTextOrNA(OleDate(1.0), nullptr, 8));
  EXPECT_FALSE(TimeTextOrNA(OleDate(1.0), buf, 0));
}

// --- text helpers -------------------------------------------------------------------------

TEST(HexDump, ShowsTheFirst1024Bytes) {
  std::vector<std::uint8_t> bytes(2000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  std::string dump = HexDump(bytes.data(), bytes.size());
  EXPECT_EQ(dump.size(), 1024u * 3 - 1);
  EXPECT_EQ(dump.substr(0, 12), "00 07 0e 15 ");
  char last[3];
  std::snprintf(last, sizeof last, "%02x", bytes[1023]);
  EXPECT_EQ(dump.substr(dump.size() - 3), std::string(" ") + last);

  const std::uint8_t few[] = {0x00, 0xAB, 0xFF};
  EXPECT_STREQ(HexDump(few, 3), "00 ab ff");
  EXPECT_STREQ(HexDump(few, 0), "");
  EXPECT_STREQ(HexDump(nullptr, 5), "");
}

struct NarrowCase {
  std::wstring wide;
  std::size_t size;
  std::string narrow;
};

TEST(ToNarrow, CutsAtWholeCharacters) {
  const NarrowCase cases[] = {
      {L"abc", 8, "abc"},
      {L"abc", 3, "ab"},
      {L"caf\u00e9", 5, "caf"},  // é needs two bytes, one is left
      {L"caf\u00e9", 6, "caf\xC3\xA9"},
      {L"\U0001F600x", 4, ""},
      {L"\U0001F600x", 6, "\xF0\x9F\x98\x80x"},
      {std::wstring(1, static_cast<wchar_t>(0xD800)), 8, "\xEF\xBF\xBD"},
      {std::wstring(1, static_cast<wchar_t>(0x110000)), 8, "\xEF\xBF\xBD"},
      {L"", 4, ""},
  };
  for (const NarrowCase& c : cases) {
    std::vector<char> buf(c.size, 'x');
    EXPECT_EQ(ToNarrow(c.wide.c_str(), buf.data(), buf.size()), c.narrow.size());
    EXPECT_EQ(std::string(buf.data()), c.narrow);
    EXPECT_EQ(buf.back(), '\0');
  }
  char buf[4] = "xx";
  EXPECT_EQ(ToNarrow(nullptr, buf, sizeof buf), 0u);
  EXPECT_STREQ(buf, "");
}

TEST(ToWide, DecodesUtf8AndReplacesMalformedSequences) {
  struct Case {
    const char* narrow;
    std::size_t size;
    std::wstring wide;
  };
  const Case cases[] = {
      {"caf\xC3\xA9", 8, L"caf\u00e9"},
      {"\xF0\x9F\x98\x80!", 8, L"\U0001F600!"},
      {"abc", 3, L"ab"},
      {"\xC3(", 8, L"\uFFFD("},
      {"\xE2\x82", 8, L"\uFFFD"},                            // cut short by the end of the text
      {"\xC0\xAF", 8, L"\uFFFD\uFFFD"},                      // overlong
      {"\xED\xA0\x80", 8, L"\uFFFD\uFFFD\uFFFD"},            // a surrogate
      {"\xF4\x90\x80\x80", 8, L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xFF", 8, L"\uFFFD"},
  };
  for (const Case& c : cases) {
    std::vector<wchar_t> buf(c.size, L'x');
    EXPECT_EQ(ToWide(c.narrow, buf.data(), buf.size()), c.wide.size()) << c.narrow;
    EXPECT_EQ(std::wstring(buf.data()), c.wide);
    EXPECT_EQ(buf.back(), L'\0');
  }
  wchar_t buf[4] = L"xx";
  EXPECT_EQ(ToWide(nullptr, buf, 4), 0u);
  EXPECT_EQ(buf[0], L'\0');
  EXPECT_EQ(ToWide("abc", nullptr, 4), 0u);
}

TEST(ToWide, RoundTripsThroughToNarrow) {
  const char* text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x98\x80";
  wchar_t wide[32];
  char back[64];
  ToWide(text, wide, 32);
  ToNarrow(wide, back, sizeof back);
  EXPECT_STREQ(back, text);
}

// --- program folder and shell -------------------------------------------------------------

TEST(GetModuleFolder, ProgramAndLoadedLibraries) {
  char buf[4096];
  ASSERT_TRUE(GetModuleFolder(nullptr, buf, sizeof buf));
  EXPECT_EQ(buf, platform::ExecutableFolder());
  EXPECT_EQ(std::string(buf).back(), '/');

  void* self = ::dlopen(nullptr, RTLD_NOW);
  ASSERT_TRUE(self);
  ASSERT_TRUE(GetModuleFolder(self, buf, sizeof buf));
  EXPECT_EQ(buf, platform::ExecutableFolder());
  ::dlclose(self);

  void* libc = ::dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_TRUE(libc);
  ASSERT_TRUE(GetModuleFolder(libc, buf, sizeof buf));
  EXPECT_EQ(buf[0], '/');
  EXPECT_TRUE(fs::exists(std::string(buf) + "libc.so.6")) << buf;
  ::dlclose(libc);

  char small[2] = "x";
  EXPECT_FALSE(GetModuleFolder(nullptr, small, sizeof small));
  EXPECT_STREQ(small, "");
  EXPECT_FALSE(GetModuleFolder(nullptr, nullptr, 10));
}

TEST(OpenWithShell, PassesTheTargetToTheLauncher) {
  std::vector<std::string> seen;
  platform::SetShellLauncher([&](const std::string& t) {
    seen.push_back(t);
    return t != "fail";
  });
  EXPECT_FALSE(OpenWithShell(""));
  EXPECT_TRUE(OpenWithShell("/tmp/MILog.txt"));
  EXPECT_FALSE(OpenWithShell("fail"));
  platform::SetShellLauncher(nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"/tmp/MILog.txt", "fail"}));
}

// The real launcher: xdg-open found on PATH, given the target as one argument, not waited for.
TEST(OpenWithShell, StartsXdgOpenWithOneArgument) {
  TempDir dir;
  const std::string out = dir.path() + "/args";
  const std::string script = "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" + out +
                             ".tmp'\n/bin/mv '" + out + ".tmp' '" + out + "'\n";
  fs::permissions(dir.Write("bin/xdg-open", script), fs::perms::owner_all);
  const char* path = std::getenv("PATH");
  const std::string savedPath = path ? path : "";
  // The arguments the launcher saw, or "<not started>".
  auto open = [&](const std::string& bin, const std::string& target) {
    fs::remove(out);
    ::setenv("PATH", (dir.path() + bin).c_str(), 1);
    bool started = OpenWithShell(target);
    ::setenv("PATH", savedPath.c_str(), 1);
    if (!started) return std::string("<not started>");
    for (int i = 0; i < 500 && !fs::exists(out); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(out);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(open("/bin", "a file; rm -rf x $(id)"), "1|a file; rm -rf x $(id)|");
  EXPECT_EQ(open("/bin", "-v"), "1|./-v|");  // not an option of xdg-open
  EXPECT_EQ(open("/nothing-here", "/tmp"), "<not started>");
}

}  // namespace
