#include <gtest/gtest.h>

#include <sys/stat.h>

#include <limits>

#include "google/HelperTestUtil.h"
#include "helper/CxHelperParamParser.h"

namespace {

TEST(CxHelperParamParser, GoldenBytes) {
  TempDir dir;
  CxHelperParamParser p;
  EXPECT_TRUE(p.SetText(1000, "first"));
  EXPECT_TRUE(p.SetInt(7, -2));
  EXPECT_TRUE(p.SetNumber(8, 41.9));
  EXPECT_TRUE(p.SetNumber(9, -3.7));
  p.SetNumber(10, std::numeric_limits<double>::quiet_NaN());
  p.SetNumber(11, 1e300);
  EXPECT_TRUE(p.SetBool(12, true));
  EXPECT_TRUE(p.SetText(1004, ""));
  // The same key again keeps its place and its type.
  EXPECT_TRUE(p.SetText(1000, "ann@example.com"));
  EXPECT_FALSE(p.SetInt(1000, 5));
  EXPECT_FALSE(p.SetText(1004, static_cast<const char*>(nullptr)));
  // 1,022 bytes then a two-byte character that the 1,023-byte limit would split.
  p.SetText(2, std::string(1022, 'a') + "\xC3\xA9tail");
  ASSERT_TRUE(p.Write(dir.file("Param.dat")));
  // clang-format off
  std::string expected = Bytes()
                             .I32(9)
                             .I32(1000).I32(8).Text("ann@example.com")
                             .I32(7).I32(3).I32(-2)
                             .I32(8).I32(5).I32(41)
                             .I32(9).I32(5).I32(-3)
                             .I32(10).I32(5).I32(0)
                             .I32(11).I32(5).I32(2147483647)
                             .I32(12).I32(11).I32(1)
                             .I32(1004).I32(8).I32(0)
                             .I32(2).I32(8).Text(std::string(1022, 'a'))
                             .str();
  // clang-format on
  EXPECT_EQ(ReadFile(dir.file("Param.dat")), expected);
}

TEST(CxHelperParamParser, FileIsOwnerOnly) {
  TempDir dir;
  CxHelperParamParser p;
  p.SetText(1001, "secret");
  ASSERT_TRUE(p.Write(dir.file("p.dat")));
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("p.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(p.Write(dir.file("missing/p.dat")));
}

}  // namespace
