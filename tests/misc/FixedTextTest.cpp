#include <gtest/gtest.h>

#include <string>

#include "misc/CommonContact.h"
#include "misc/FixedText.h"
#include "misc/Utf8.h"

namespace {

TEST(FixedText, TruncatesToWidthMinusOneWithoutSplittingCharacters) {
  struct {
    std::string in;
    std::string kept;
  } cases[] = {
      {"1234567", "1234567"},              // N-1 bytes fit a FixedText<8>
      {"12345678", "1234567"},             // N bytes lose the last
      {"123456\xc3\xa4", "123456"},        // a two-byte character across the cut
      {"12345\xc3\xa4", "12345\xc3\xa4"},  // ends exactly at the cut
      {"1234\xe2\x82\xac\xe2\x82\xac", "1234\xe2\x82\xac"},
      {"123\xf0\x9f\x98\x80\x41", "123\xf0\x9f\x98\x80"},
      {"12\x00"
       "45",
       "12"},                                // a C string ends at its NUL
      {"123456\x80\x80\x80", "123456\x80"},  // stray bytes are cut bytewise
      {"", ""},
  };
  for (const auto& c : cases) {
    FixedText<8> f(std::string_view(c.in.data(), c.in.size()));
    EXPECT_EQ(f.view(), c.kept) << c.in;
    EXPECT_EQ(f.c_str()[f.size()], '\0');
  }
}

TEST(FixedText, CopiesAreDeepAndEmptyCostsNothing) {
  FixedText<32> a("hello"), b = a;
  a = "changed!";
  EXPECT_EQ(b, "hello");
  a = a.view();  // self-assignment through a view of the same block
  EXPECT_EQ(a, "changed!");
  a = std::string_view("short");
  EXPECT_EQ(a, "short");
  FixedText<32> e;
  EXPECT_TRUE(e.empty());
  EXPECT_STREQ(e.c_str(), "");
  static_assert(sizeof(FixedText<8192>) == sizeof(void*));
  // A contact with a hundred text fields stays small when they are empty.
  EXPECT_LT(sizeof(CommonContact), 1200u);
}

TEST(Utf8CopyTo, TerminatesAndCuts) {
  char buf[4];
  EXPECT_EQ(Utf8CopyTo(buf, sizeof buf, "ab\xc3\xa4"), 2u);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(Utf8CopyTo(buf, 1, "abc"), 0u);
  EXPECT_STREQ(buf, "");
}

}  // namespace
