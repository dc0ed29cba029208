// Every repeating Palm event means the same days in the account: the account's iCalendar rules,
// expanded by libical, against an expansion of the Palm rule from the record's own fields.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "palm/PmDateExUtil.h"
#include "palm/PmTime.h"
#include "roundtrip/RoundTripUtil.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

constexpr int kYears = 4;

sys_days Day(int y, unsigned m, unsigned d) {
  return sys_days{year{y} / month{m} / day{d}};
}

struct Rule {
  const char* what;
  sys_days start;
  bool untimed;
  PmRepeat repeat;
  sys_days end;  // the last day, or none for ever
  bool hasEnd;
};

// The n-th (0-3, or 4 for the last) given weekday of a month.
sys_days NthWeekday(year_month ym, weekday wd, int n) {
  if (n >= 4) {
    sys_days last = sys_days{ym / std::chrono::last};
    while (weekday{last} != wd) last -= days{1};
    return last;
  }
  return sys_days{ym / wd[static_cast<unsigned>(n + 1)]};
}

// The days a Palm rule repeats on, from its start up to `until`.
std::set<sys_days> PalmDays(const Rule& r, sys_days until) {
  std::set<sys_days> out;
  const PmRepeat& p = r.repeat;
  const int step = p.interval < 1 ? 1 : p.interval;
  const year_month_day s{r.start};
  auto keep = [&](sys_days d) {
    if (d >= r.start && d <= until && (!r.hasEnd || d <= r.end)) out.insert(d);
  };
  // Weeks start on Monday, as the rules in the table say.
  auto weekOf = [](sys_days d) {
    return (d - days{(weekday{d}.iso_encoding() - 1)}).time_since_epoch().count() / 7;
  };
  switch (p.kind) {
    case PmRepeat::kDaily:
      for (sys_days d = r.start; d <= until; d += days{step}) keep(d);
      break;
    case PmRepeat::kWeekly:
      for (sys_days d = r.start; d <= until; d += days{1})
        if ((p.dayMask >> weekday{d}.c_encoding()) & 1 && (weekOf(d) - weekOf(r.start)) % step == 0)
          keep(d);
      break;
    case PmRepeat::kMonthlyByWeekday:
    case PmRepeat::kMonthlyByDate:
    case PmRepeat::kYearlyByDate:
    case PmRepeat::kYearlyByWeekday: {
      const bool yearly = p.kind >= PmRepeat::kYearlyByDate;
      for (int k = 0; k <= kYears * 12; ++k) {
        year_month ym = year_month{s.year() / s.month()} + months{(yearly ? 12 : 1) * step * k};
        if (p.kind == PmRepeat::kMonthlyByWeekday) {
          keep(NthWeekday(ym, weekday{static_cast<unsigned>(p.dayIndex)}, p.weekIndex));
        } else if (p.kind == PmRepeat::kMonthlyByDate) {
          year_month_day d = ym / day{static_cast<unsigned>(p.dayNumber)};
          if (d.ok()) keep(sys_days{d});
        } else if (p.kind == PmRepeat::kYearlyByDate) {
          year_month_day d = ym.year() / month{static_cast<unsigned>(p.monthIndex + 1)} /
                             day{static_cast<unsigned>(p.dayNumber)};
          if (d.ok()) keep(sys_days{d});
        } else {
          keep(NthWeekday(ym, weekday{r.start}, (static_cast<int>(unsigned{s.day()}) - 1) / 7));
        }
      }
      break;
    }
    default:
      keep(r.start);
  }
  return out;
}

// The days libical gives for the event's rule (its start date alone when it has none).
std::set<sys_days> AccountDays(icalcomponent* ev, sys_days until) {
  std::set<sys_days> out;
  icaltimetype start = icalcomponent_get_dtstart(ev);
  icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
  auto dayOf = [](const icaltimetype& t) {
    return Day(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
  };
  if (!p) {
    out.insert(dayOf(start));
    return out;
  }
  icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(p), start);
  for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t);
       t = icalrecur_iterator_next(it)) {
    if (dayOf(t) > until) break;
    out.insert(dayOf(t));
  }
  icalrecur_iterator_free(it);
  return out;
}

std::int32_t PalmTime(sys_days d, int hour) {
  year_month_day ymd{d};
  return PmTime(static_cast<int>(ymd.year()), static_cast<int>(unsigned{ymd.month()}),
                static_cast<int>(unsigned{ymd.day()}), hour, 0, 0)
      .Value();
}

TEST(RecurrenceDays, AccountRulesGiveThePalmDays) {
  const sys_days none{};
  // kind, interval, end (set below), first day of week, day index, mask, week, day, month
  const Rule rules[] = {
      {"daily", Day(2012, 1, 2), false, {{}, PmRepeat::kDaily, 1, 0, 1}, Day(2012, 3, 1), true},
      {"every third day", Day(2019, 3, 20), false, {{}, PmRepeat::kDaily, 3, 0, 1}, none, false},
      {"untimed daily",
       Day(2019, 10, 20),
       true,
       {{}, PmRepeat::kDaily, 2, 0, 1},
       Day(2019, 12, 1),
       true},
      {"Mon Wed Fri",
       Day(2012, 1, 2),
       false,
       {{}, PmRepeat::kWeekly, 1, 0, 1, 1, 0x2A},
       none,
       false},
      {"fortnightly Tue Sat",
       Day(2019, 3, 26),
       false,
       {{}, PmRepeat::kWeekly, 2, 0, 1, 2, 0x44},
       Day(2021, 6, 30),
       true},
      {"second Tuesday",
       Day(2012, 1, 10),
       false,
       {{}, PmRepeat::kMonthlyByWeekday, 1, 0, 1, 2, 0, 1},
       Day(2014, 1, 1),
       true},
      {"last Friday bimonthly",
       Day(2012, 1, 27),
       true,
       {{}, PmRepeat::kMonthlyByWeekday, 2, 0, 1, 5, 0, 4},
       none,
       false},
      {"first Sunday",
       Day(2019, 11, 3),
       false,
       {{}, PmRepeat::kMonthlyByWeekday, 1, 0, 1, 0, 0, 0},
       none,
       false},
      {"the 15th",
       Day(2012, 1, 15),
       false,
       {{}, PmRepeat::kMonthlyByDate, 1, 0, 1, 0, 0, 0, 15},
       none,
       false},
      {"the 30th quarterly",
       Day(2012, 1, 30),
       false,
       {{}, PmRepeat::kMonthlyByDate, 3, 0, 1, 0, 0, 0, 30},
       Day(2015, 1, 1),
       true},
      {"24 December",
       Day(2012, 12, 24),
       true,
       {{}, PmRepeat::kYearlyByDate, 1, 0, 1, 0, 0, 0, 24, 11},
       none,
       false},
      {"31 March every other year",
       Day(2012, 3, 31),
       false,
       {{}, PmRepeat::kYearlyByDate, 2, 0, 1, 0, 0, 0, 31, 2},
       none,
       false},
      {"fourth Thursday of November",
       Day(2012, 11, 22),
       false,
       {{}, PmRepeat::kYearlyByWeekday, 1, 0, 1},
       none,
       false},
  };
  PmDateExUtil db;
  db.EnsureCategories().Add({1, 10, "Business", "", 0});
  int n = 0;
  for (const Rule& r : rules) {
    PmDateExRecord rec{};
    rec.recordId = ++n;
    rec.start = PalmTime(r.start, r.untimed ? 0 : 9);
    rec.end = PalmTime(r.start, r.untimed ? 0 : 10);
    rec.untimed = r.untimed ? 1 : 0;
    rec.description = r.what;
    rec.repeat = r.repeat;
    rec.repeat.endDate = r.hasEnd ? PalmTime(r.end, 0) : 1956528000;
    rec.categoryName = "Business";
    db.Records().push_back(std::move(rec));
  }
  RoundTrip trip;
  const std::string file = trip.Home().file("datebook.dat");
  ASSERT_TRUE(db.SaveAs(file));
  ASSERT_TRUE(trip.Migrate("", file)) << trip.Messages();

  std::map<std::string, std::set<sys_days>> account;
  for (const auto& entry : fs::directory_iterator(trip.AccountFolder() + "calendar")) {
    std::string text = ReadFile(entry.path().string());
    icalcomponent* root = icalparser_parse_string(text.c_str());
    ASSERT_NE(root, nullptr) << entry.path();
    icalcomponent* ev = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT);
    ASSERT_NE(ev, nullptr) << entry.path();
    const Rule* rule = nullptr;
    for (const Rule& r : rules)
      if (std::string(icalcomponent_get_summary(ev)) == r.what) rule = &r;
    ASSERT_NE(rule, nullptr) << icalcomponent_get_summary(ev);
    account[rule->what] = AccountDays(ev, rule->start + days{365 * kYears});
    icalcomponent_free(root);
  }
  ASSERT_EQ(account.size(), std::size(rules));
  for (const Rule& r : rules) {
    std::set<sys_days> palm = PalmDays(r, r.start + days{365 * kYears});
    EXPECT_GT(palm.size(), 1u) << r.what;
    EXPECT_EQ(account[r.what], palm) << r.what;
  }
}

}  // namespace
