// Windows-1252 to UTF-8: every high byte against iconv's table, the undefined bytes, truncation.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "palm/PmCodePage.h"

namespace {

// iconv's CP1252 leaves the five undefined bytes out; those come back empty.
std::string IconvCp1252(unsigned char byte) {
  iconv_t cd = iconv_open("UTF-8", "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "?";
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* ip = in;
  char* op = out;
  std::size_t il = 1, ol = sizeof out;
  std::size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) return {};
  return std::string(out, static_cast<std::size_t>(op - out));
}

std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

TEST(PmCodePage, EveryHighByteOf1252) {
  PmCodePage cp;
  for (unsigned b = 0x80; b <= 0xFF; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    std::string expected = IconvCp1252(byte);
    if (expected.empty()) {
      // Undefined in Windows-1252: its C1 code point, as Windows maps it.
      ASSERT_TRUE(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) << std::hex << b;
      expected = Utf8Of(b);
    }
    EXPECT_EQ(cp.Decode(std::string(1, static_cast<char>(byte))), expected) << std::hex << b;
    EXPECT_EQ(PmCodePage::Windows1252(byte), expected) << std::hex << b;
  }
}

TEST(PmCodePage, KnownCharacters) {
  PmCodePage cp;
  EXPECT_EQ(cp.Decode("\x80 \x99 \xE9 \xFF"), "\xE2\x82\xAC \xE2\x84\xA2 \xC3\xA9 \xC3\xBF");
  EXPECT_EQ(cp.Decode("plain\r\n\t"), "plain\r\n\t");
}

TEST(PmCodePage, CutsToWholeCharactersAndStopsAtNul) {
  PmCodePage cp;
  EXPECT_EQ(cp.Decode("\xE9\xE9", 3), "\xC3\xA9");
  EXPECT_EQ(cp.Decode("a\x80", 3), "a");
  EXPECT_EQ(cp.Decode("a\x80", 4), "a\xE2\x82\xAC");
  EXPECT_EQ(cp.Decode(std::string("ab\0cd", 5)), "ab");
  std::string out = "keep";
  cp.Decode("\xE9", out);
  EXPECT_EQ(out, "keep\xC3\xA9");
}

TEST(PmCodePage, OtherCodePagesThroughIconv) {
  PmCodePage cyrillic(1251);
  ASSERT_TRUE(cyrillic.Supported());
  EXPECT_EQ(cyrillic.Decode("\xC0\xE1"), "\xD0\x90\xD0\xB1");  // "Аб"
  PmCodePage unknown(99999);
  EXPECT_FALSE(unknown.Supported());
  EXPECT_EQ(unknown.CodePage(), PmCodePage::kWindows1252);
  EXPECT_EQ(unknown.Decode("\xE9"), "\xC3\xA9");
}

}  // namespace
