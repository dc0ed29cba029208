#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "google/GTimeZones.h"

namespace {

using Props = std::map<std::string, std::string>;

// Our own reading of a VTIMEZONE: lines split at CR LF only. The skeleton lists each line's key
// (BEGIN and END with their value), so a stray line break or a missing line shows up in it.
struct Parsed {
  std::string skeleton;
  Props header;
  std::vector<Props> parts;
};
Parsed Parse(std::string_view text) {
  Parsed p;
  for (std::size_t pos = 0; pos != std::string_view::npos;) {
    const std::size_t end = text.find("\r\n", pos);
    const std::string line(text.substr(pos, end - pos));
    pos = end == std::string_view::npos ? end : end + 2;
    const std::size_t colon = line.find(':');
    const std::string key = line.substr(0, colon);
    const bool frame = key == "BEGIN" || key == "END";
    p.skeleton += (p.skeleton.empty() ? "" : " ") + (frame ? line : key);
    if (line == "BEGIN:STANDARD" || line == "BEGIN:DAYLIGHT") p.parts.emplace_back();
    if (!frame && colon != std::string::npos)
      (p.parts.empty() ? p.header : p.parts.back())[key] = line.substr(colon + 1);
  }
  return p;
}

const std::string kHead = "BEGIN:VTIMEZONE TZID X-LIC-LOCATION ";
const std::string kFixed = "TZOFFSETFROM TZOFFSETTO TZNAME DTSTART ";
const std::string kNoDst = kHead + "BEGIN:STANDARD " + kFixed + "END:STANDARD END:VTIMEZONE";
const std::string kDst = kHead + "BEGIN:DAYLIGHT " + kFixed + "RRULE END:DAYLIGHT BEGIN:STANDARD " +
                         kFixed + "RRULE END:STANDARD END:VTIMEZONE";

// "+0530" or "-023045" in seconds east of UTC; LONG_MIN when malformed.
long Offset(const std::string& text) {
  if ((text.size() != 5 && text.size() != 7) || (text[0] != '+' && text[0] != '-') ||
      !std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return LONG_MIN;
  const long s = std::stol(text.substr(1, 2)) * 3600 + std::stol(text.substr(3, 2)) * 60 +
                 (text.size() == 7 ? std::stol(text.substr(5)) : 0);
  return text[0] == '-' ? -s : s;
}

std::time_t Utc(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;  // timegm carries days outside the month over
  return timegm(&tm);
}

// Midnight UTC of the local date on which a yearly rule of the table's forms falls in `year`;
// -1 when it names no such day.
std::time_t Occurrence(const std::string& rrule, int year) {
  Props r;
  for (std::size_t pos = 0, end = 0; end != std::string::npos; pos = end + 1) {
    end = rrule.find(';', pos);
    const std::string part = rrule.substr(pos, end - pos);
    r[part.substr(0, part.find('='))] = part.substr(part.find('=') + 1);
  }
  const std::string days[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"}, byday = r["BYDAY"];
  if (r["FREQ"] != "YEARLY" || byday.size() < 2) return -1;
  const int month = r.count("BYMONTH") ? std::stoi(r["BYMONTH"]) : 12;
  std::vector<std::time_t> candidates;
  if (byday.size() > 2) {  // nth weekday of the month; -1 the last
    const int n = std::stoi(byday);
    for (int d = 0; d < 7; ++d)
      candidates.push_back(n > 0 ? Utc(year, month, 7 * n - 6 + d) : Utc(year, month + 1, -d));
  } else {
    std::string list = r.count("BYMONTHDAY") ? r["BYMONTHDAY"] : r["BYYEARDAY"];
    std::replace(list.begin(), list.end(), ',', ' ');
    std::istringstream in(list);
    for (int d; in >> d;)  // negative days count back from the month's (or year's) end
      candidates.push_back(d > 0 ? Utc(year, month, d) : Utc(year, month + 1, d + 1));
  }
  for (std::time_t t : candidates) {
    std::tm tm{};
    gmtime_r(&t, &tm);
    if (days[tm.tm_wday] == byday.substr(byday.size() - 2)) return t;
  }
  return -1;
}

struct Local {
  long offset;
  std::string name;
};
Local At(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_gmtoff, tm.tm_zone};
}

class PinnedTz {
 public:
  explicit PinnedTz(const char* zone) { Set(zone); }
  ~PinnedTz() { Set("UTC"); }
  PinnedTz(const PinnedTz&) = delete;
  PinnedTz& operator=(const PinnedTz&) = delete;

 private:
  static void Set(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();  // localtime_r need not read TZ again
  }
};

TEST(TimeZones, RowsAreNumberedSortedAndEndWithEof) {
  for (std::size_t i = 0; i <= GTimeZoneCount; ++i)
    EXPECT_EQ(GTimeZoneTable[i].number, static_cast<int>(i) + 2);
  EXPECT_STREQ(GTimeZoneTable[GTimeZoneCount].name, "EOF");
  EXPECT_STREQ(GTimeZoneTable[GTimeZoneCount].vtimezone, "");
  for (std::size_t i = 1; i < GTimeZoneCount; ++i)
    EXPECT_LT(std::string(GTimeZoneTable[i - 1].name), GTimeZoneTable[i].name);
}

TEST(TimeZones, LookupIgnoresAsciiCase) {
  for (std::size_t i = 0; i < GTimeZoneCount; ++i) {
    std::string upper = GTimeZoneTable[i].name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(FindTimeZone(upper), &GTimeZoneTable[i]) << upper;  // so no two names fold alike
  }
  EXPECT_EQ(FindTimeZone("america/new_york"), FindTimeZone("America/New_York"));
  for (const char* absent : {"America/New_Yor", "America/New_York ", "", "EOF", "eof", "Mars/Base"})
    EXPECT_EQ(FindTimeZone(absent), nullptr) << absent;
}

TEST(TimeZones, EveryTextIsAWellFormedVTimeZone) {
  for (std::size_t i = 0; i < GTimeZoneCount; ++i) {
    const GTimeZone& row = GTimeZoneTable[i];
    SCOPED_TRACE(row.name);
    const Parsed p = Parse(row.vtimezone);
    ASSERT_TRUE(p.skeleton == kNoDst || p.skeleton == kDst) << p.skeleton;
    EXPECT_EQ(p.header, (Props{{"TZID", row.name}, {"X-LIC-LOCATION", row.name}}));
    for (const Props& c : p.parts) {
      EXPECT_NE(Offset(c.at("TZOFFSETFROM")), LONG_MIN);
      EXPECT_NE(Offset(c.at("TZOFFSETTO")), LONG_MIN);
      EXPECT_FALSE(c.at("TZNAME").empty());
    }
    const Props &first = p.parts.front(), &last = p.parts.back();
    EXPECT_EQ(first.at("TZOFFSETFROM"), last.at("TZOFFSETTO"));
    EXPECT_EQ(last.at("TZOFFSETFROM"), first.at("TZOFFSETTO"));
    if (p.skeleton == kNoDst) {
      EXPECT_EQ(first.at("DTSTART"), "19700101T000000");
    } else {  // summer time is DAYLIGHT, also where the zone data calls winter daylight (Ireland)
      EXPECT_GT(Offset(first.at("TZOFFSETTO")), Offset(last.at("TZOFFSETTO")));
    }
  }
}

// The texts must say what the system's zone data says: winter and summer offsets, and each
// transition at the very second and under the name the rule gives, in 1970 as in later years
// (2030 ends Egypt's summer time on 1 November; 2045 lies past the files' explicit transitions).
TEST(TimeZones, TextsAgreeWithTheSystemZoneData) {
  std::ifstream zi("/usr/share/zoneinfo/tzdata.zi");
  std::string version;
  if (!std::getline(zi, version) || version != std::string("# version ") + GTimeZoneDataVersion)
    GTEST_SKIP() << "the table was made from tzdata " << GTimeZoneDataVersion;
  for (std::size_t i = 0; i < GTimeZoneCount; ++i) {
    const GTimeZone& row = GTimeZoneTable[i];
    SCOPED_TRACE(row.name);
    const Parsed p = Parse(row.vtimezone);
    ASSERT_FALSE(p.parts.empty());
    PinnedTz tz(row.name);
    std::set<long> seen, expected;
    for (int month : {1, 7}) seen.insert(At(Utc(2030, month, 15)).offset);
    for (const Props& c : p.parts) expected.insert(Offset(c.at("TZOFFSETTO")));
    EXPECT_EQ(seen, expected);
    if (p.parts.size() == 1) {
      EXPECT_EQ(At(Utc(2030, 1, 15)).name, p.parts[0].at("TZNAME"));
    }
    for (const Props& c : p.parts) {
      if (!c.count("RRULE")) continue;
      const std::string& start = c.at("DTSTART");
      EXPECT_EQ(Occurrence(c.at("RRULE"), 1970),
                Utc(1970, std::stoi(start.substr(4, 2)), std::stoi(start.substr(6, 2))));
      const long clock = std::stol(start.substr(9, 2)) * 3600 +
                         std::stol(start.substr(11, 2)) * 60 + std::stol(start.substr(13, 2));
      for (int year : {2026, 2030, 2037, 2045}) {
        const std::time_t day = Occurrence(c.at("RRULE"), year);
        ASSERT_NE(day, -1) << c.at("RRULE");
        const std::time_t instant = day + clock - Offset(c.at("TZOFFSETFROM"));
        EXPECT_EQ(At(instant - 1).offset, Offset(c.at("TZOFFSETFROM"))) << year;
        EXPECT_EQ(At(instant).offset, Offset(c.at("TZOFFSETTO"))) << year;
        EXPECT_EQ(At(instant).name, c.at("TZNAME")) << year;
      }
    }
  }
}

}  // namespace
