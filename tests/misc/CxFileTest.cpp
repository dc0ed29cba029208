#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <random>

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

namespace {

bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80             ? 1
                    : (c & 0xE0) == 0xC0 ? 2
                    : (c & 0xF0) == 0xE0 ? 3
                    : (c & 0xF8) == 0xF0 ? 4
                                         : 0;
    if (n == 0 || s.size() - i < n) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// Characters of one to four bytes, mixed.
std::string RandomText(std::mt19937& rng, std::size_t minBytes) {
  static const char* const kChars[] = {"a", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80"};
  std::string s;
  while (s.size() < minBytes) s += kChars[rng() % 4];
  return s;
}

// Every field limit of the exchange files (text(64), text(256), parameter texts, the helpers'
// parameter reader): texts of every length around the limit, cut on read, stay valid UTF-8 and a
// prefix of what was written, and the field after them is read in step.
TEST(CxFile, EveryCutEndsOnAWholeCharacter) {
  TempDir dir;
  std::mt19937 rng(7);
  for (std::size_t limit : {63u, 255u, 1023u, 4095u}) {
    for (std::size_t len = limit - 4; len <= limit + 4; ++len) {
      for (int round = 0; round < 8; ++round) {
        std::string text = RandomText(rng, len);
        CxFile w;
        ASSERT_TRUE(w.Open(dir.file("t.dat"), "wb"));
        w.WriteText(text);
        w.WriteInt32(77);
        ASSERT_TRUE(w.Close());
        CxFile r;
        ASSERT_TRUE(r.Open(dir.file("t.dat"), "rb"));
        std::string got;
        std::int32_t after = 0;
        ASSERT_TRUE(r.ReadText(got, limit));
        ASSERT_TRUE(r.ReadInt32(after));
        EXPECT_EQ(after, 77);
        EXPECT_LE(got.size(), limit);
        EXPECT_TRUE(ValidUtf8(got)) << limit << " " << len;
        EXPECT_EQ(text.compare(0, got.size(), got), 0);
        // Only the one character the limit splits is lost.
        EXPECT_GE(got.size() + 3, std::min(limit, text.size()));
      }
    }
  }
  // 40 x "é" in a text(64) field: 31 whole characters, no lone lead byte.
  CxFile w;
  ASSERT_TRUE(w.Open(dir.file("e.dat"), "wb"));
  std::string e40;
  for (int i = 0; i < 40; ++i) e40 += "\xc3\xa9";
  w.WriteText(e40);
  ASSERT_TRUE(w.Close());
  CxFile r;
  ASSERT_TRUE(r.Open(dir.file("e.dat"), "rb"));
  FixedText<64> field;
  ASSERT_TRUE(r.ReadText(field));
  EXPECT_EQ(std::string(field.view()), e40.substr(0, 62));
}

// Reading opens regular files only: a FIFO or a device would block or never end.
TEST(CxFile, OnlyRegularFilesAreRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  for (std::string path : {dir.file("fifo"), std::string("/dev/zero"), dir.path()}) {
    CxFile f;
    EXPECT_FALSE(f.Open(path, "rb")) << path;
    EXPECT_EQ(f.ErrorText(), "not a regular file") << path;
  }
  CxFile missing;
  EXPECT_FALSE(missing.Open(dir.file("none"), "rb"));
  EXPECT_EQ(missing.ErrorText(), "No such file or directory");
}

// A full disk shows at the latest when the file is closed; Close says so.
TEST(CxFile, FullDiskFailsTheClose) {
  CxFile f;
  ASSERT_TRUE(f.Open("/dev/full", "wb"));
  f.WriteText("a few bytes that stay in the buffer");
  EXPECT_FALSE(f.Close());
  EXPECT_EQ(f.ErrorText(), "No space left on device");
}

// A replacement that cannot be written whole (here: beyond the file size limit, as on a full
// disk) fails with the reason and leaves the previous file and no temporary behind.
TEST(CxFile, FailedReplaceKeepsThePreviousFile) {
  TempDir dir;
  WriteFile(dir.file("data.dat"), "previous");
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  CxFile f;
  bool opened = f.Replace(dir.file("data.dat"));
  f.WriteText(std::string(100000, 'x'));
  bool closed = f.Close();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(opened);
  EXPECT_FALSE(closed);
  EXPECT_EQ(f.ErrorText(), "File too large");
  EXPECT_EQ(ReadFile(dir.file("data.dat")), "previous");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  // Unwritten and dropped: the same.
  {
    CxFile dropped;
    ASSERT_TRUE(dropped.Replace(dir.file("data.dat")));
    dropped.WriteText("never closed");
  }
  EXPECT_EQ(ReadFile(dir.file("data.dat")), "previous");
  CxFile good;
  ASSERT_TRUE(good.Replace(dir.file("data.dat")));
  good.WriteInt32(5);
  EXPECT_TRUE(good.Close());
  EXPECT_EQ(ReadFile(dir.file("data.dat")), std::string("\x05\0\0\0", 4));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
