#include <gtest/gtest.h>

#include <random>

#include "ContactCard.h"
#include "ICalCard.h"
#include "VCard.h"
#include "misc/CSV.h"

namespace {

// Characters of every UTF-8 length, none that a reader treats as markup.
const char* const kPool[] = {"a",
                             "Z",
                             "\xC3\xA9",
                             "\xC3\x9F",
                             "\xE2\x82\xAC",
                             "\xE6\xBC\xA2",
                             "\xF0\x9F\x98\x80",
                             "\xF0\x90\x8D\x88"};

std::string RandomText(std::mt19937& rng, std::size_t bytes) {
  std::string out;
  while (out.size() < bytes) out += kPool[rng() % (sizeof kPool / sizeof kPool[0])];
  return out;
}

bool IsPrefix(std::string_view got, std::string_view of) {
  return of.substr(0, got.size()) == got;
}

// Every length from a few bytes under a width to a few over it.
template <class Check>
void AroundLimits(std::initializer_list<std::size_t> widths, Check check) {
  std::mt19937 rng(14);
  for (std::size_t width : widths)
    for (std::size_t n = width - 5; n <= width + 5; ++n)
      for (int round = 0; round < 4; ++round) check(width, RandomText(rng, n));
}

TEST(TextLimitsTest, VCardValuesComeBackAsWholeCharactersOfTheText) {
  AroundLimits({64, 256, 10240}, [](std::size_t, const std::string& text) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;Al;;;\r\nFN:" + text + "\r\nORG:" + text +
                       "\r\nitem1.URL:" + text + "\r\nitem1.X-ABLabel:BLOG\r\nNOTE:" + text +
                       "\r\nEND:VCARD\r\n";
    GoogleContact c;
    ReadContactCard(VCardReader::Parse(card).at(0), c);
    for (std::string_view got :
         {c.DisplayName.view(), c.CompanyName.view(), c.WebSite[0].view(), c.Note.view()}) {
      EXPECT_TRUE(IsValidUtf8(got)) << text.size();
      EXPECT_TRUE(IsPrefix(got, text)) << text.size();
      EXPECT_GE(got.size() + 3, std::min<std::size_t>(text.size(), 63));
    }
  });
}

TEST(TextLimitsTest, ICalendarValuesComeBackAsWholeCharactersOfTheText) {
  AroundLimits({256, 10240}, [](std::size_t, const std::string& text) {
    std::string ics =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\nDTSTART:20240101T100000Z\r\n"
        "SUMMARY:" +
        text + "\r\nLOCATION:" + text + "\r\nDESCRIPTION:" + text +
        "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    GoogleEvent e;
    ASSERT_TRUE(ReadEventICal(ics, e, ICalOptions{"UTC", {}}));
    for (std::string_view got : {e.Title.view(), e.Where.view(), e.Description.view()}) {
      EXPECT_TRUE(IsValidUtf8(got)) << text.size();
      EXPECT_TRUE(IsPrefix(got, text)) << text.size();
      EXPECT_GE(got.size() + 3, std::min<std::size_t>(text.size(), 255));
    }
  });
}

TEST(TextLimitsTest, CsvItemsKeepWholeCharacters) {
  AroundLimits({8, 64}, [](std::size_t, const std::string& text) {
    CSV quoted("\"" + text + "\"," + text, true);
    EXPECT_EQ(quoted.Item(0), text);
    EXPECT_EQ(quoted.Item(1), text);
    // An item without quotes still loses one whole character at each end, never half of one.
    CSV bare(text + ",x", true);
    EXPECT_TRUE(IsValidUtf8(bare.Item(0))) << text;
    EXPECT_NE(text.find(bare.Item(0)), std::string::npos);
  });
}

TEST(TextLimitsTest, ACutCharacterIsNeverWrittenAndValuesReadPerValue) {
  // "ééé" and the first byte of a fourth: what a cut at a width used to leave.
  const std::string cut = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3";
  GoogleContact c;
  c.DisplayName = cut;
  c.Note = "caf\xC3\xA9";
  std::string card = WriteContactCard(c, "id");
  EXPECT_TRUE(IsValidUtf8(card));
  GoogleContact back;
  ReadContactCard(VCardReader::Parse(card).at(0), back);
  EXPECT_EQ(back.DisplayName, "\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_EQ(back.Note, "caf\xC3\xA9");

  // Cards written so before: the stub goes, the characters stay; Windows text is still read.
  GoogleContact old;
  ReadContactCard(VCardReader::Parse("BEGIN:VCARD\r\nFN:" + cut +
                                     "\r\nNOTE:M\xFCller\r\n"
                                     "ORG;CHARSET=ISO-8859-1:\xC3\xA9t\xC3\xA9\r\nEND:VCARD\r\n")
                      .at(0),
                  old);
  EXPECT_EQ(old.DisplayName, "\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_EQ(old.Note, "M\xC3\xBCller");
  EXPECT_EQ(old.CompanyName, "\xC3\xA9t\xC3\xA9");

  GoogleEvent e;
  e.Start = OleDate(45000.5);
  e.Title = cut;
  std::string ics = WriteEventICal(e, "id", ICalOptions{"UTC", {}});
  EXPECT_TRUE(IsValidUtf8(ics));
  GoogleEvent eb;
  ASSERT_TRUE(ReadEventICal(ics, eb, ICalOptions{"UTC", {}}));
  EXPECT_EQ(eb.Title, "\xC3\xA9\xC3\xA9\xC3\xA9");
}

TEST(TextLimitsTest, Utf8CheckRefusesWhatIsNotUtf8) {
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xF5\x80", "\x80", "a\xC3"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  for (const char* good : {"", "a", "\xC3\xA9", "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(IsValidUtf8(good)) << good;
}

}  // namespace
