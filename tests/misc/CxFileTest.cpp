#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestUtil.h"
#include "misc/CxFile.h"

namespace {

TEST(CxFile, EncodingIsLittleEndianAndCounted) {
  TempDir dir;
  CxFile f;
  ASSERT_TRUE(f.Open(dir.file("a.dat"), "wb"));
  f.WriteInt32(-2);
  f.WriteUInt32(0x01020304);
  f.WriteBool32(true);
  f.WriteDouble(1.5);
  f.WriteText("");
  f.WriteText("h\xc3\xa4");
  f.WriteLine("log");
  f.Close();
  std::string bytes = ReadFile(dir.file("a.dat"));
  std::string expect(
      "\xfe\xff\xff\xff\x04\x03\x02\x01\x01\x00\x00\x00"
      "\x00\x00\x00\x00\x00\x00\xf8\x3f"
      "\x00\x00\x00\x00"
      "\x03\x00\x00\x00h\xc3\xa4"
      "log\r\n",
      36);
  EXPECT_EQ(bytes, expect);
}

TEST(CxFile, LongTextKeepsFollowingFieldsInStep) {
  TempDir dir;
  CxFile f;
  ASSERT_TRUE(f.Open(dir.file("a.dat"), "wb"));
  f.WriteText(std::string(10000, 'x') + "\xc3\xa4");
  f.WriteInt32(42);
  f.Close();
  ASSERT_TRUE(f.Open(dir.file("a.dat"), "rb"));
  FixedText<8> small;
  std::int32_t length = 0, next = 0;
  ASSERT_TRUE(f.ReadText(small, &length));
  EXPECT_EQ(small, "xxxxxxx");
  EXPECT_EQ(length, 10002);
  ASSERT_TRUE(f.ReadInt32(next));
  EXPECT_EQ(next, 42);
  char buf[3];
  EXPECT_FALSE(f.ReadText(buf, sizeof buf));  // nothing left
}

TEST(CxFile, TruncatedAndLyingFilesFail) {
  TempDir dir;
  struct {
    std::string bytes;
  } cases[] = {
      {std::string("\x01\x02", 2)},  // short integer
      {std::string("\x10\x00\x00\x00"
                   "abc",
                   7)},  // text shorter than its length
      {std::string("\xff\xff\xff\x7f"
                   "abc",
                   7)},                      // absurd length: no allocation, fails at EOF
      {std::string("\xff\xff\xff\xff", 4)},  // negative length
  };
  for (const auto& c : cases) {
    WriteFile(dir.file("bad.dat"), c.bytes);
    CxFile f;
    ASSERT_TRUE(f.Open(dir.file("bad.dat"), "rb"));
    std::string text;
    std::int32_t v;
    bool ok = c.bytes.size() < 4 ? f.ReadInt32(v) : f.ReadText(text, 100);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(f.Failed());
  }
}

TEST(CxFile, ClosedFileAndSizes) {
  CxFile f;
  std::int32_t v;
  EXPECT_FALSE(f.ReadInt32(v));
  EXPECT_FALSE(f.WriteInt32(1));
  EXPECT_FALSE(f.Open("", "rb"));
  EXPECT_FALSE(f.Open("/nonexistent/x", "rb"));
  EXPECT_EQ(CxFile::FileSize(""), -1);
  EXPECT_EQ(CxFile::FileSize("/nonexistent/x"), -1);
  TempDir dir;
  WriteFile(dir.file("s"), "12345");
  EXPECT_EQ(CxFile::FileSize(dir.file("s")), 5);
}

TEST(CxFile, OwnerOnlyFiles) {
  TempDir dir;
  CxFile f;
  ASSERT_TRUE(f.Open(dir.file("secret"), "wb", true));
  f.WriteText("password");
  f.Close();
  struct stat st {};
  ASSERT_EQ(stat(dir.file("secret").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
