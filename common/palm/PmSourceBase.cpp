#include "palm/PmSourceBase.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

#include <ctime>

#include "palm/PmTime.h"

int PmLayoutForVersion(std::uint32_t version, PmOldVersions old) {
  if (version >= 60000) return kPmLayout6x;
  if (version >= 40102) return kPmLayout2;
  if (version >= 30500 || old == PmOldVersions::kLayout1) return kPmLayout1;
  return kPmLayoutNone;
}

PmFileKind PmFileKindOf(const std::string& path) {
  auto dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return PmFileKind::kOther;
  const char* ext = path.c_str() + dot;
  if (strcasecmp(ext, ".dat") == 0) return PmFileKind::kDat;
  if (strcasecmp(ext, ".mdb") == 0) return PmFileKind::kMdb;
  return PmFileKind::kOther;
}

namespace {

constexpr std::int64_t kBucketSeconds = 900;

// Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's civil_from_days).
void CivilFromDays(std::int64_t z, int& year, unsigned& month, unsigned& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

std::string PmEntryNoCase(const std::string& folder, const std::string& name) {
  const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  struct stat st {};
  if (stat((base + name).c_str(), &st) == 0) return base + name;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(base.empty() ? "." : base.c_str()), closedir);
  if (!dir) return base + name;
  const char* found = nullptr;
  std::string best;
  while (dirent* e = readdir(dir.get())) {
    if (strcasecmp(e->d_name, name.c_str()) == 0 && (!found || best > e->d_name)) {
      best = e->d_name;
      found = best.c_str();
    }
  }
  return base + (found ? best : name);
}

std::int32_t PmLocalClock::OffsetAt(std::int64_t value) {
  const std::int64_t bucket =
      value >= 0 ? value / kBucketSeconds : (value + 1) / kBucketSeconds - 1;
  Slot& slot = cache_[static_cast<std::size_t>(bucket) & (cache_.size() - 1)];
  if (slot.bucket != bucket) {
    std::time_t t = static_cast<std::time_t>(bucket * kBucketSeconds);
    struct tm parts {};
    slot.offset = localtime_r(&t, &parts) ? static_cast<std::int32_t>(parts.tm_gmtoff) : 0;
    slot.bucket = bucket;
  }
  return slot.offset;
}

SYSTEMTIME PmLocalClock::ToSystemTime(std::int32_t value) {
  const std::int64_t local = static_cast<std::int64_t>(value) + OffsetAt(value);
  std::int64_t days = local / 86400;
  std::int64_t secs = local % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  int year = 0;
  unsigned month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(year);
  st.wMonth = static_cast<std::uint16_t>(month);
  st.wDay = static_cast<std::uint16_t>(day);
  // 1970-01-01 was a Thursday.
  st.wDayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7);
  st.wHour = static_cast<std::uint16_t>(secs / 3600);
  st.wMinute = static_cast<std::uint16_t>(secs / 60 % 60);
  st.wSecond = static_cast<std::uint16_t>(secs % 60);
  return st;
}

CommonRecurrence PmRecurrenceFrom(const PmRepeat& rule, PmLocalClock& clock) {
  CommonRecurrence r;
  switch (rule.kind) {
    case PmRepeat::kDaily:
      r.RecurType = kRecurDaily;
      r.Interval = rule.interval;
      r.DayOfWeekMask = rule.dayIndex;
      break;
    case PmRepeat::kWeekly:
      r.RecurType = kRecurWeekly;
      r.Interval = rule.interval;
      r.DayOfWeekMask = rule.dayMask;
      r.Instance = 1;
      break;
    case PmRepeat::kMonthlyByWeekday:
      r.RecurType = kRecurMonthlyNth;
      r.Interval = rule.interval;
      // Palm keeps the weekday as 0 (Sunday) to 6 and the week as 0 to 4 (4 the last); the
      // common record wants a one-day mask and an instance of 1 to 5 (5 the last). Out of
      // range leaves them 0, which the targets read as the start's weekday and first week.
      r.DayOfWeekMask = rule.dayIndex >= 0 && rule.dayIndex <= 6 ? 1 << rule.dayIndex : 0;
      r.Instance = rule.weekIndex >= 0 && rule.weekIndex <= 4 ? rule.weekIndex + 1 : 0;
      break;
    case PmRepeat::kMonthlyByDate:
      r.RecurType = kRecurMonthly;
      r.Interval = rule.interval;
      r.DayOfMonth = rule.dayNumber;
      break;
    case PmRepeat::kYearlyByDate:
      r.RecurType = kRecurYearly;
      r.Interval = rule.interval;
      r.DayOfMonth = rule.dayNumber;
      r.MonthOfYear = rule.monthIndex + 1;
      break;
    default:  // none, and yearly by weekday, which the common record cannot say
      break;
  }
  r.PatternEnd = clock.ToSystemTime(rule.endDate);
  // Palm's "for ever" moves with the writing PC's zone; a fixed year cut-off would misread
  // real end dates after it, so the no-date test decides.
  r.HasEnd = PmTime::IsNoDate(rule.endDate) ? 0 : 1;
  return r;
}

std::size_t PmExceptionDaysFrom(const PmRepeat& rule, PmLocalClock& clock, ExceptionDayList& out) {
  std::vector<EventDay> days;
  if (rule.kind != PmRepeat::kNone) {
    days.reserve(rule.exceptions.size());
    for (std::int32_t value : rule.exceptions) {
      SYSTEMTIME st = clock.ToSystemTime(value);
      days.push_back({st.wYear, st.wMonth, st.wDay});
    }
  }
  return out.Assign(std::move(days));
}

void PmSetAlarm(CommonEvent& event, bool set, std::int32_t advance, std::int32_t unit) {
  if (!set) {
    event.ReminderSet = 0;
    event.ReminderCount = 0;
    return;
  }
  event.ReminderSet = 1;
  event.ReminderCount = 1;
  event.Reminders[0].Amount = advance;
  event.Reminders[0].Unit = unit == 1 ? kUnitHours : unit == 2 ? kUnitDays : kUnitMinutes;
}
