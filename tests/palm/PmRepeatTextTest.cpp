#include <gtest/gtest.h>

#include <ctime>
#include <ostream>
#include <string>

#include "TestUtil.h"
#include "palm/PmFakeAccessor.h"
#include "palm/PmRepeatText.h"
#include "palm/PmTime.h"

namespace {

// Errors reach the debug log; keep it out of the working folder.
[[maybe_unused]] const bool kQuietLog = (QuietPalm6Log(), true);

constexpr std::int32_t kNoEnd = PmRepeatText::kNoEnd;
// 2009-06-15 12:00 UTC, a Monday.
constexpr std::int32_t kJune15 = 1245067200;

struct RepeatCase {
  const char* name;
  const char* text;
  bool clean;
  std::int32_t kind;
  std::int32_t interval;
  std::int32_t dayMask;
  std::int32_t weekIndex;
  std::int32_t dayNumber;
  std::int32_t monthIndex;
  std::int32_t end;  // -1: checked by its own test
};

void PrintTo(const RepeatCase& c, std::ostream* os) {
  *os << c.name;
}

class PmRepeatTextTest : public testing::TestWithParam<RepeatCase> {
 protected:
  void SetUp() override { tzset(); }
  ScopedEnv tz_{"TZ", "UTC"};
};

TEST_P(PmRepeatTextTest, Parses) {
  const RepeatCase& c = GetParam();
  PmRepeat r;
  EXPECT_EQ(PmRepeatText::Parse(c.text, kJune15, r), c.clean);
  EXPECT_EQ(r.kind, c.kind);
  EXPECT_EQ(r.interval, c.interval);
  EXPECT_EQ(r.dayMask, c.dayMask);
  EXPECT_EQ(r.weekIndex, c.weekIndex);
  EXPECT_EQ(r.dayNumber, c.dayNumber);
  EXPECT_EQ(r.monthIndex, c.monthIndex);
  if (c.end != -1) {
    EXPECT_EQ(r.endDate, c.end);
  }
}

const std::int32_t kDec31 = 1262217600;  // 2009-12-31 00:00 UTC

INSTANTIATE_TEST_SUITE_P(
    Cases, PmRepeatTextTest,
    testing::Values(
        // name, text, clean, kind, interval, mask, week, day, month, end
        RepeatCase{"DailyNoEnd", "D2 #0", true, 1, 2, 0, 0, 0, 0, kNoEnd},
        RepeatCase{"WeeklyWithEnd", "W1 MO WE FR 20091231T000000Z", true, 2, 1, 0x2A, 0, 0, 0,
                   kDec31},
        RepeatCase{"WeeklyWithoutDaysTakesTheStartsWeekday", "W2 #0", true, 2, 2, 0x02, 0, 0, 0,
                   kNoEnd},
        RepeatCase{"MonthlyByWeekday", "MP1 2+ TU #0", true, 3, 1, 0x04, 1, 0, 0, kNoEnd},
        RepeatCase{"MonthlyByWeekdayLastWeek", "MP1 1- FR #0", true, 3, 1, 0x20, 4, 0, 0, kNoEnd},
        RepeatCase{"MonthlyByWeekdayFifthIsLast", "MP3 5+ SU #0", true, 3, 3, 0x01, 4, 0, 0,
                   kNoEnd},
        RepeatCase{"MonthlyByDate", "MD1 15 #0", true, 4, 1, 0, 0, 15, 0, kNoEnd},
        RepeatCase{"MonthlyByDateWithoutDayTakesTheStart", "MD2 #0", true, 4, 2, 0, 0, 15, 0,
                   kNoEnd},
        RepeatCase{"YearlyByDate", "YM1 6 #0", true, 5, 1, 0, 0, 15, 5, kNoEnd},
        RepeatCase{"DateWithoutTime", "D1 20091231", true, 1, 1, 0, 0, 0, 0, kDec31},
        RepeatCase{"NoEndWord", "D7", true, 1, 7, 0, 0, 0, 0, kNoEnd},
        RepeatCase{"LowerCaseLetters", "w1 mo #0", true, 2, 1, 0x02, 0, 0, 0, kNoEnd},
        RepeatCase{"ExtraBlanks", "  W1   TH   #0  ", true, 2, 1, 0x10, 0, 0, 0, kNoEnd},
        RepeatCase{"CountEndRepeatsWithoutEnd", "D1 #5", true, 1, 1, 0, 0, 0, 0, kNoEnd},
        RepeatCase{"EndPastPalmsRangeIsNoEnd", "D1 20400101T000000Z", true, 1, 1, 0, 0, 0, 0,
                   kNoEnd},
        // Malformed texts: the kind and interval survive only when they were read.
        RepeatCase{"Empty", "", true, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"UnknownKind", "X1 #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"DayOfYearIsNotPalms", "YD1 100 #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"MissingInterval", "D #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"ZeroInterval", "W0 MO #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"HugeInterval", "D99999999999999999999 #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"IntervalWithJunk", "D2x #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"WeekOutOfRange", "MP1 6+ TU #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"SecondLastWeekUnknownToPalm", "MP1 2- TU #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"DayOfMonthOutOfRange", "MD1 32 #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"MonthOutOfRange", "YM1 13 #0", false, 0, 0, 0, 0, 0, 0, 0},
        RepeatCase{"BadEndDateKeepsTheRuleWithoutEnd", "D1 2009AB31", false, 1, 1, 0, 0, 0, 0,
                   kNoEnd},
        RepeatCase{"ImpossibleMonthInEnd", "D1 20091331", false, 1, 1, 0, 0, 0, 0, kNoEnd},
        RepeatCase{"WordsAfterTheEnd", "D1 #0 MO", false, 1, 1, 0, 0, 0, 0, kNoEnd},
        RepeatCase{"UnknownDayWord", "W1 XY #0", false, 2, 1, 0x02, 0, 0, 0, kNoEnd},
        RepeatCase{"BareHash", "D1 #", false, 1, 1, 0, 0, 0, 0, kNoEnd}),
    [](const testing::TestParamInfo<RepeatCase>& p) { return std::string(p.param.name); });

TEST(PmRepeatText, EndIsLocalMidnight) {
  PmRepeat r;
  {
    ScopedEnv tz("TZ", "EST5");
    tzset();
    EXPECT_TRUE(PmRepeatText::Parse("W1 MO WE FR 20091231T000000Z", kJune15, r));
    EXPECT_EQ(r.endDate, PmTime(2009, 12, 31, 0, 0, 0).Value());
  }
  tzset();
  EXPECT_EQ(r.endDate, kDec31 + 5 * 3600);
}

TEST(PmRepeatText, TasksTakeNoYearlyRule) {
  PmRepeat r;
  EXPECT_TRUE(PmRepeatText::Parse("YM1 6 #0", kJune15, r, false));
  EXPECT_EQ(r.kind, PmRepeat::kNone);
}

TEST(PmRepeatText, NulAndHighBytesDoNotConfuseIt) {
  PmRepeat r;
  std::string text("W1 MO\0TU #0", 11);
  EXPECT_FALSE(PmRepeatText::Parse(text, kJune15, r));
  EXPECT_EQ(r.kind, PmRepeat::kWeekly);
  EXPECT_FALSE(PmRepeatText::Parse("\xFF\xFE W1", kJune15, r));
  EXPECT_EQ(r.kind, PmRepeat::kNone);
}

}  // namespace
