#pragma once

// Layout-1 date books of independently varied records, seeded: every repeat kind, exceptions,
// alarms, notes from empty to past their 8,192-byte capacity, deleted and archived records.
// Used by the tests and by pm_big_datebook, so that a large book is not one sample copied.
#include <cstdint>
#include <random>
#include <string>

#include "palm/PmDateUtil.h"
#include "palm/PmRecordHeads.h"

class PmVariedDatebook {
 public:
  explicit PmVariedDatebook(std::uint32_t seed) : rng_(seed) {}

  // Fills `db` with `count` records and its categories; returns how many are live and scheduled.
  std::size_t Fill(PmDateUtil& db, std::size_t count) {
    PmCategoryMgr& cats = db.EnsureCategories();
    cats.Add({1, 10, "Business", "", 0});
    cats.Add({2, 11, "Personal", "", 0});
    cats.Add({3, 12, "Travel \xE9t\xE9", "", 0});
    db.Header().fileName = "C:\\Palm\\Varied\\datebook\\datebook.dat";
    db.Records().clear();
    db.Records().reserve(count);
    std::size_t live = 0;
    for (std::size_t i = 0; i < count; ++i) {
      db.Records().push_back(Record(static_cast<std::int32_t>(i)));
      const PmDateRecord& r = db.Records().back();
      if (PmIsLive(r.status) && PmDateUtil::IsScheduled(r)) ++live;
    }
    return live;
  }

  PmDateRecord Record(std::int32_t index) {
    PmDateRecord r;
    r.recordId = index + 1;
    const std::uint32_t fate = Below(1000);
    r.status = fate < 200 ? kPmStatusDeleted : fate < 290 ? kPmStatusArchived : fate < 330 ? 1 : 0;
    r.position = index;
    r.untimed = Below(10) == 0;
    // 1995 to 2030, on a five-minute step.
    const std::int32_t start = 788918400 + static_cast<std::int32_t>(Below(220000000) / 300 * 300);
    r.duration = r.untimed ? 0 : static_cast<std::int32_t>(Below(97) * 5);
    r.start = start;
    r.end = start + r.duration * 60;
    if (Below(400) == 0) r.end = -1;  // unscheduled, as old Palm Desktop leaves some
    r.description = Text(Below(8) == 0 ? Below(600) : Below(60));
    const std::uint32_t noteKind = Below(100);
    r.note = noteKind < 55 ? std::string() : Text(noteKind < 97 ? Below(200) : Below(9500));
    r.isPrivate = Below(10) == 0;
    static const char* const kCategoryNames[] = {"Unfiled", "Business", "Personal",
                                                 "Travel \xE9t\xE9"};
    r.categoryId = static_cast<std::int32_t>(Below(4));
    r.categoryName = kCategoryNames[r.categoryId];
    r.alarmSet = Below(3) == 0;
    if (r.alarmSet) {
      r.alarmAdvance = static_cast<std::int32_t>(Below(100));
      r.alarmUnit = static_cast<std::int32_t>(Below(3));
    }
    if (Below(100) < 80) r.repeat = Repeat(start);
    return r;
  }

 private:
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(rng_() % n); }

  // Windows-1252 text: letters, digits, blanks, line breaks and accented letters.
  std::string Text(std::uint32_t length) {
    static const char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ 0123456789 .,-\r\n\xE9\xFC\x80";
    std::string s(length, ' ');
    for (auto& c : s) c = kChars[Below(sizeof kChars - 1)];
    return s;
  }

  PmRepeat Repeat(std::int32_t start) {
    PmRepeat r;
    r.kind = static_cast<std::int32_t>(1 + Below(6));
    r.interval = static_cast<std::int32_t>(1 + Below(Below(4) == 0 ? 12 : 2));
    r.endDate = Below(2) ? 1956528000 : start + static_cast<std::int32_t>(Below(2000)) * 86400;
    r.firstDayOfWeek = static_cast<std::int32_t>(Below(2));
    if (Below(4) == 0) {
      for (std::uint32_t n = 1 + Below(6); n > 0; --n)
        r.exceptions.push_back(start + static_cast<std::int32_t>(Below(700)) * 86400);
    }
    switch (r.kind) {
      case PmRepeat::kDaily:
        r.dayIndex = static_cast<std::int32_t>(Below(7));
        break;
      case PmRepeat::kWeekly:
        r.dayIndex = static_cast<std::int32_t>(Below(7));
        r.dayMask = static_cast<std::uint8_t>(1 + Below(127));
        break;
      case PmRepeat::kMonthlyByWeekday:
        r.dayIndex = static_cast<std::int32_t>(Below(7));
        r.weekIndex = static_cast<std::int32_t>(Below(5));
        break;
      case PmRepeat::kMonthlyByDate:
        r.dayNumber = static_cast<std::int32_t>(1 + Below(31));
        break;
      case PmRepeat::kYearlyByDate:
        r.dayNumber = static_cast<std::int32_t>(1 + Below(31));
        r.monthIndex = static_cast<std::int32_t>(Below(12));
        break;
      default:
        break;
    }
    return r;
  }

  std::mt19937 rng_;
};
