#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestUtil.h"
#include "misc/CxIniUtil.h"

namespace {

TEST(CxIniUtil, PrivateProfileRules) {
  TempDir dir;
  WriteFile(dir.file("a.ini"),
            "; comment\r\n[Other]\r\nKey=other\r\n[ vegg ]\r\n  Name  =  Ann Lee  \r\n"
            "Num=12abc\r\nNeg=-7\r\nEmpty=\r\nname=second\r\n[VEGG]\r\nLate=1\r\n");
  CxIniUtil ini(dir.folder(), "a.ini");
  EXPECT_EQ(ini.ReadText("VEGG", "NAME"), "Ann Lee");
  EXPECT_EQ(ini.ReadText("other", "key"), "other");
  EXPECT_EQ(ini.ReadText("VEGG", "Late", "dflt"), "dflt");  // the first section wins
  EXPECT_EQ(ini.ReadText("VEGG", "missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInt("VEGG", "Num", 5), 12);
  EXPECT_EQ(ini.ReadInt("VEGG", "Neg", 5), -7);
  EXPECT_EQ(ini.ReadInt("VEGG", "Empty", 5), 5);
  EXPECT_EQ(ini.ReadInt("VEGG", "missing", 5), 5);
  EXPECT_TRUE(ini.ReadBool("VEGG", "Num", false));
  char buf[4];
  EXPECT_EQ(ini.ReadText("VEGG", "Name", buf, sizeof buf, ""), 3u);
  EXPECT_STREQ(buf, "Ann");
  EXPECT_EQ(ini.ReadText("VEGG", "", buf, sizeof buf, "x"), 0u);
}

TEST(CxIniUtil, LeadingIntegers) {
  struct {
    const char* text;
    int value;
  } cases[] = {{"12abc", 12},
               {"abc", 0},
               {"+3", 3},
               {"-", 0},
               {"99999999999", 2147483647},
               {"-99999999999", -2147483647 - 1},
               {" 8", 8}};
  for (const auto& c : cases) EXPECT_EQ(CxIniUtil::ParseLeadingInt(c.text), c.value) << c.text;
}

TEST(CxIniUtil, WritesKeepTheRestOfTheFile) {
  TempDir dir;
  WriteFile(dir.file("a.ini"), "; keep me\n[VEGG]\nA=1\n\n[Path]\nPDPath=/x\n");
  CxIniUtil ini(dir.folder(), "a.ini");
  EXPECT_TRUE(ini.WriteText("vegg", "a", "2"));
  EXPECT_TRUE(ini.WriteInt("VEGG", "B", -5));
  EXPECT_TRUE(ini.WriteText("New", "K", "line\nbreak"));
  EXPECT_FALSE(ini.WriteText("VEGG", "", "x"));
  EXPECT_EQ(ReadFile(dir.file("a.ini")),
            "; keep me\n[VEGG]\nA=2\nB=-5\n\n[Path]\nPDPath=/x\n\n[New]\nK=line break\n");
  struct stat st {};
  ASSERT_EQ(stat(dir.file("a.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(CxIniUtil, BatchReachesDiskOnlyAtCommit) {
  TempDir dir;
  CxIniUtil ini(dir.folder(), "b.ini");
  ini.BeginBatch();
  ini.WriteBool("S", "X", true);
  EXPECT_EQ(ini.ReadInt("S", "X", 0), 1);  // reads see the batch
  EXPECT_EQ(CxIniUtil(dir.folder(), "b.ini").ReadInt("S", "X", 7), 7);
  EXPECT_TRUE(ini.Commit());
  EXPECT_EQ(CxIniUtil(dir.folder(), "b.ini").ReadInt("S", "X", 7), 1);
}

TEST(CxIniUtil, SetPathIgnoresEmpty) {
  CxIniUtil ini("/tmp/", "x.ini");
  ini.SetPath("");
  EXPECT_EQ(ini.Path(), "/tmp/x.ini");
  ini.SetPath("/y.ini");
  EXPECT_EQ(ini.Path(), "/y.ini");
  CxIniUtil beside("", "korvane.ini");
  EXPECT_EQ(beside.Path().substr(beside.Path().size() - 12), "/korvane.ini");
}

}  // namespace
