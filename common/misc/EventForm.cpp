#include "misc/EventForm.h"

#include <string>

#include "misc/CxDateTime.h"
#include "misc/Utf8.h"

namespace {

SYSTEMTIME DateOf(const SYSTEMTIME& t) {
  SYSTEMTIME d = t;
  d.wHour = d.wMinute = d.wSecond = d.wMilliseconds = 0;
  return d;
}

bool IsMidnight(const SYSTEMTIME& t) {
  return t.wHour == 0 && t.wMinute == 0 && t.wSecond == 0;
}

// The date `days` days after `date`, at midnight.
SYSTEMTIME DaysAfter(const SYSTEMTIME& date, int days) {
  OleDate d;
  SYSTEMTIME out;
  if (!CxDateTime::SystemTimeToOleDate(DateOf(date), d) ||
      !CxDateTime::OleDateToSystemTime(CxDateTime::AddDays(d, days), out))
    return DateOf(date);
  return out;
}

bool Before(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  OleDate x, y;
  CxDateTime::SystemTimeToOleDate(a, x);
  CxDateTime::SystemTimeToOleDate(b, y);
  return x.value < y.value;
}

// One weekday bit for a mask that names none.
std::int32_t Days(std::int32_t mask, const SYSTEMTIME& start) {
  mask &= 0x7F;
  return mask ? mask : 1 << start.wDayOfWeek;
}

void NormaliseRecurrence(CommonRecurrence& r, const SYSTEMTIME& start, bool startValid) {
  if (r.RecurType <= kRecurNone || r.RecurType > kRecurYearly || !startValid) {
    r = CommonRecurrence();
    return;
  }
  CommonRecurrence n;
  n.RecurType = r.RecurType;
  n.Interval = r.Interval >= 1 ? r.Interval : 1;
  n.PatternStart = DateOf(start);
  SYSTEMTIME end = r.PatternEnd;
  if (r.HasEnd && NormaliseTime(end)) {
    n.HasEnd = 1;
    n.PatternEnd = DateOf(end);
  }
  const std::int32_t month =
      r.MonthOfYear >= 1 && r.MonthOfYear <= 12 ? r.MonthOfYear : start.wMonth;
  const std::int32_t monthDay = r.DayOfMonth >= 1 && r.DayOfMonth <= 31 ? r.DayOfMonth : start.wDay;
  const std::int32_t instance = r.Instance < 1 ? 1 : r.Instance > 5 ? 5 : r.Instance;
  switch (r.RecurType) {
    case kRecurDaily:
      break;
    case kRecurWeekly:
      n.DayOfWeekMask = Days(r.DayOfWeekMask, start);
      break;
    case kRecurMonthlyNth:
      n.DayOfWeekMask = Days(r.DayOfWeekMask, start);
      n.Instance = instance;
      break;
    case kRecurMonthly:
      n.DayOfMonth = monthDay;
      break;
    case kRecurYearlyNth:
      n.DayOfWeekMask = Days(r.DayOfWeekMask, start);
      n.Instance = instance;
      n.MonthOfYear = month;
      break;
    case kRecurYearly:
      n.DayOfMonth = monthDay;
      n.MonthOfYear = month;
      break;
    default:
      break;
  }
  r = n;
}

// Every line break as CR LF. iCalendar keeps only LF, other sources a lone CR or LF; the
// subject is part of an event's key and compares character for character.
template <std::size_t N>
void CrLf(FixedText<N>& field) {
  std::string_view text = field.view();
  if (text.find_first_of("\r\n") == std::string_view::npos) return;
  std::string out;
  out.reserve(text.size() + 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  std::string_view kept = Utf8Prefix(out, FixedText<N>::kMaxBytes);
  // A cut between CR and LF drops the half break.
  if (kept.size() < out.size() && !kept.empty() && kept.back() == '\r') kept.remove_suffix(1);
  field = kept;
}

}  // namespace

bool NormaliseTime(SYSTEMTIME& t) {
  OleDate d;
  t.wMilliseconds = 0;
  if (!CxDateTime::SystemTimeToOleDate(t, d)) return false;
  SYSTEMTIME out;
  if (!CxDateTime::OleDateToSystemTime(d, out)) return false;
  t = out;
  return true;
}

void NormaliseEvent(CommonEvent& e) {
  const bool startValid = NormaliseTime(e.Start);
  const bool endValid = NormaliseTime(e.End);
  CrLf(e.Subject);
  CrLf(e.Location);
  CrLf(e.Description);
  CrLf(e.Categories);
  e.AllDay = e.AllDay ? 1 : 0;
  if (e.AllDay && startValid) {
    // An end that falls inside a day still covers that day.
    SYSTEMTIME end =
        endValid ? (IsMidnight(e.End) ? DateOf(e.End) : DaysAfter(e.End, 1)) : SYSTEMTIME();
    e.Start = DateOf(e.Start);
    e.End = endValid && Before(e.Start, end) ? end : DaysAfter(e.Start, 1);
  }
  NormaliseRecurrence(e.Recurrence, e.Start, startValid);
  if (e.Recurrence.RecurType == kRecurNone) e.ExceptionDates.clear();

  if (e.ReminderCount > CommonEvent::kMaxReminders) e.ReminderCount = CommonEvent::kMaxReminders;
  e.ReminderSet = e.ReminderCount ? 1 : 0;
  for (std::size_t i = 0; i < CommonEvent::kMaxReminders; ++i) {
    CommonReminder& m = e.Reminders[i];
    if (i >= e.ReminderCount) {
      m = CommonReminder();
      continue;
    }
    if (m.Method != 2) m.Method = 1;
    if (m.Amount < 0) m.Amount = 0;
    if (m.Unit < kUnitMinutes || m.Unit > kUnitWeeks || m.Amount == 0) m.Unit = kUnitMinutes;
  }
}
