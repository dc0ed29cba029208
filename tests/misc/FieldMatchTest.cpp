#include <gtest/gtest.h>

#include <random>
#include <string>

#include "misc/FieldMatch.h"

namespace {

TEST(LineBreakEqual, Table) {
  struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"A\r\nB", "ab", true}, {"ab\r\n", "ab", false}, {"ab\r\n", "AB\n", true},
      {"\r\nab", "ab", true}, {"", "", true},          {"", "\r\n", false},
      {"\r", "\n", true},     {"a", "a\r\nb", false},  {"x\r\n", "x\r\nY", false},
      {"abc", "abd", false},  {"ab", "abc", false},    {"\xc3\xa4", "\xc3\x84", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LineBreakEqual(c.a, c.b), c.equal) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(LineBreakEqual(c.b, c.a), c.equal);
  }
}

// The index hashes a normal form of the text; equal texts must hash alike, and the normal form
// must be exact (no two unequal texts may be treated as one class by the grouping).
TEST(LineBreakEqual, HashAgreesWithWalkOnRandomTexts) {
  std::mt19937 rng(5);
  const char alphabet[] = {'a', 'A', 'b', '\r', '\n'};
  std::vector<std::string> texts;
  for (int i = 0; i < 400; ++i) {
    std::string s;
    for (std::size_t n = rng() % 6; n > 0; --n) s += alphabet[rng() % 5];
    texts.push_back(s);
  }
  auto hash = [](const std::string& s) {
    MatchHasher h;
    h.Add(MatchValue::LineBreak(s));
    return h.Value();
  };
  for (const auto& a : texts)
    for (const auto& b : texts) {
      if (!LineBreakEqual(a, b)) continue;
      ASSERT_EQ(hash(a), hash(b)) << a << "|" << b;
      // Transitivity through a third text keeps the classes well defined.
      for (int k = 0; k < 5; ++k) {
        const auto& c = texts[rng() % texts.size()];
        if (LineBreakEqual(b, c)) {
          ASSERT_TRUE(LineBreakEqual(a, c));
        }
      }
    }
}

TEST(FoldEqual, FoldsAsciiOnly) {
  EXPECT_TRUE(FoldEqual("Room 1", "ROOM 1"));
  EXPECT_FALSE(FoldEqual("Room 1", "Room 1 "));
  EXPECT_FALSE(FoldEqual("a\r\n", "a"));
}

}  // namespace
