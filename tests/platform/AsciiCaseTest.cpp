#include "platform/AsciiCase.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string_view>

using platform::EqualsNoCase;
using platform::FoldAscii;
using platform::StartsWithNoCase;

// The neighbours of the letters, and bytes of UTF-8 and Latin-1 text that a locale-aware fold
// would change.
TEST(AsciiCase, FoldsOnlyTheAsciiLettersWhateverTheLocale) {
  const char* old = std::setlocale(LC_CTYPE, "C.UTF-8");
  EXPECT_EQ(FoldAscii("@AZ[`az{"), "@az[`az{");
  EXPECT_EQ(FoldAscii("\xC3\x84\xC4\xDE\xE4"), "\xC3\x84\xC4\xDE\xE4");
  EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));
  EXPECT_FALSE(EqualsNoCase("[", "{"));
  EXPECT_FALSE(EqualsNoCase("@", "`"));
  if (old) std::setlocale(LC_CTYPE, old);
}

TEST(AsciiCase, ComparesWholeTextsAndPrefixes) {
  struct Case {
    std::string_view a, b;
    bool equal, prefix;
  };
  const Case cases[] = {
      {"Software\\Wow6432Node", "software\\wow6432node", true, true},
      {"hex(2):41", "HEX(", false, true},
      {"PALM.EXE", "palm.exe", true, true},
      {"palm.ex", "palm.exe", false, false},
      {"", "", true, true},
      {"x", "", false, true},
      {std::string_view("a\0b", 3), std::string_view("A\0B", 3), true, true},
      {std::string_view("a\0b", 3), "A", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal) << c.a << " | " << c.b;
    EXPECT_EQ(EqualsNoCase(c.b, c.a), c.equal) << c.a << " | " << c.b;
    EXPECT_EQ(StartsWithNoCase(c.a, c.b), c.prefix) << c.a << " | " << c.b;
  }
}
