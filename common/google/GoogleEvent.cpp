#include "google/GoogleEvent.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "google/GDataFields.h"
#include "google/GTimeZones.h"
#include "misc/CxDateTime.h"
#include "misc/CxDebugUtil.h"
#include "misc/EventForm.h"
#include "misc/FieldMatch.h"
#include "misc/RecordStatus.h"

namespace {

constexpr const char* kDayCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

std::string LocalStamp(OleDate date) {
  SYSTEMTIME st;
  CxDateTime::OleDateToSystemTime(date, st);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02dT%02d%02d%02d", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute, st.wSecond);
  return buf;
}

std::string DayList(std::int32_t mask) {
  std::string out;
  for (int bit = 0; bit < 7; ++bit) {
    if (!(mask & (1 << bit))) continue;
    out += out.empty() ? ";BYDAY=" : ",";
    out += kDayCodes[bit];
  }
  return out;
}

std::string Part(const char* key, std::int32_t value) {
  return value ? std::string(";") + key + "=" + std::to_string(value) : std::string();
}

// The run of leading digits among the next ten characters; ten digits in a row are no number.
std::optional<std::int32_t> NumberAt(std::string_view text, std::size_t pos) {
  std::int32_t value = 0;
  std::size_t digits = 0;
  while (digits < 10 && pos + digits < text.size() && text[pos + digits] >= '0' &&
         text[pos + digits] <= '9') {
    value = value * 10 + (text[pos + digits] - '0');
    ++digits;
  }
  if (digits == 10) return std::nullopt;
  return value;
}

std::int32_t DayListAt(std::string_view text, std::size_t pos) {
  std::size_t end = text.find_first_of("\r\n;", pos);
  std::string_view list = text.substr(pos, end == std::string_view::npos ? end : end - pos);
  std::int32_t mask = 0;
  while (true) {
    std::size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    for (int bit = 0; bit < 7; ++bit)
      if (item == kDayCodes[bit]) mask |= 1 << bit;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return mask;
}

// "DTSTART...:YYYYMMDDTHHMMSS": a date only when the T stands eight characters after the colon.
std::optional<OleDate> StampAfter(std::string_view text, std::size_t keyPos) {
  std::size_t colon = text.find(':', keyPos);
  if (colon == std::string_view::npos || text.size() - colon < 10 || text[colon + 9] != 'T')
    return std::nullopt;
  auto digits = [&](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = 0; i < n; ++i) {
      char c = at + i < text.size() ? text[at + i] : '\0';
      if (c < '0' || c > '9') return -1;
      v = v * 10 + (c - '0');
    }
    return v;
  };
  SYSTEMTIME st;
  int y = digits(colon + 1, 4), mo = digits(colon + 5, 2), d = digits(colon + 7, 2);
  if (y < 0 || mo < 0 || d < 0) return std::nullopt;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(mo);
  st.wDay = static_cast<std::uint16_t>(d);
  if (colon + 10 < text.size() && text[colon + 10] >= '0' && text[colon + 10] <= '9') {
    int h = digits(colon + 10, 2), mi = digits(colon + 12, 2), s = digits(colon + 14, 2);
    if (h < 0 || mi < 0 || s < 0) return std::nullopt;
    st.wHour = static_cast<std::uint16_t>(h);
    st.wMinute = static_cast<std::uint16_t>(mi);
    st.wSecond = static_cast<std::uint16_t>(s);
  }
  OleDate date;
  // An impossible date (month 13) leaves the value as it was rather than a zero date.
  if (!CxDateTime::SystemTimeToOleDate(st, date)) return std::nullopt;
  return date;
}

// The text's lines without their line ends (CR LF or a lone LF).
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return lines;
}

bool IsProperty(std::string_view line, std::string_view name) {
  return line.size() > name.size() && line.substr(0, name.size()) == name &&
         (line[name.size()] == ':' || line[name.size()] == ';');
}

bool IsDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::int32_t Keep012(std::int32_t v) {
  return (v == 1 || v == 2) ? v : 0;
}

}  // namespace

bool ReadGoogleEvent(CxFile& file, GoogleEvent& record) {
  return ReadFileRecord(file, record);
}
bool WriteGoogleEvent(CxFile& file, const GoogleEvent& record) {
  return WriteFileRecord(file, record);
}
bool ReadGoogleCalendar(CxFile& file, GoogleCalendar& record) {
  return ReadFileRecord(file, record);
}
bool WriteGoogleCalendar(CxFile& file, const GoogleCalendar& record) {
  return WriteFileRecord(file, record);
}

void BuildRecurrenceText(GoogleEvent& e, const std::vector<GoogleCalendar>& calendars,
                         std::string_view calendarParam, GRecurrenceZone& zone) {
  if (e.RecurType == kRecurNone) return;
  if (!FoldEqual(e.CalendarRef.view(), calendarParam) && !e.RecurrenceText.empty()) return;
  if (!zone.chosen) {
    if (calendars.empty()) return;
    zone.chosen = true;
    zone.id = std::string(calendars.front().TimeZoneId.view());
    const GTimeZone* row = FindTimeZone(zone.id);
    zone.vtimezone = row ? row->vtimezone : nullptr;
  }
  std::string rule;
  switch (e.RecurType) {
    case kRecurDaily:
      rule = "FREQ=DAILY" + Part("INTERVAL", e.Interval);
      break;
    case kRecurWeekly:
      rule = "FREQ=WEEKLY" + Part("INTERVAL", e.Interval) + DayList(e.DayOfWeekMask);
      break;
    case kRecurMonthlyNth:
      rule = "FREQ=MONTHLY" + Part("INTERVAL", e.Interval) + Part("BYWEEKNO", e.Instance) +
             DayList(e.DayOfWeekMask);
      break;
    case kRecurMonthly:
      rule = "FREQ=MONTHLY" + Part("INTERVAL", e.Interval) + Part("BYMONTHDAY", e.DayOfMonth);
      break;
    case kRecurYearlyNth:
      rule = "FREQ=YEARLY" + Part("INTERVAL", e.Interval);
      break;
    case kRecurYearly:
      rule = "FREQ=YEARLY" + Part("INTERVAL", e.Interval) + Part("BYMONTH", e.MonthOfYear) +
             Part("BYMONTHDAY", e.DayOfMonth);
      break;
    default:
      return;
  }
  SYSTEMTIME end;
  if (e.PatternEnd.value > 0 && CxDateTime::OleDateToSystemTime(e.PatternEnd, end) &&
      end.wYear >= 2002 && end.wYear <= 2019)
    rule += ";UNTIL=" + LocalStamp(e.PatternEnd) + "Z";
  // Without a zone id the times are floating local times, which any reader still takes.
  std::string tz = zone.id.empty() ? std::string() : ";TZID=" + zone.id;
  std::string text = "DTSTART" + tz + ":" + LocalStamp(e.Start) + "\r\nDTEND" + tz + ":" +
                     LocalStamp(e.End) + "\r\nRRULE:" + rule;
  if (zone.vtimezone) text += std::string("\r\n") + zone.vtimezone;
  e.RecurrenceText = text;
}

void ParseRecurrenceText(GoogleEvent& e) {
  std::string_view text = e.RecurrenceText.view();
  if (text.empty()) {
    e.RecurType = kRecurNone;
    return;
  }
  if (auto p = text.find("DTSTART"); p != std::string_view::npos)
    if (auto d = StampAfter(text, p)) e.Start = *d;
  if (auto p = text.find("DTEND"); p != std::string_view::npos)
    if (auto d = StampAfter(text, p)) e.End = *d;
  std::size_t rrule = text.find("RRULE:");
  if (rrule == std::string_view::npos) {
    e.RecurType = kRecurNone;
    return;
  }
  std::size_t freqAt = text.find("FREQ=", rrule);
  if (freqAt == std::string_view::npos) return;
  freqAt += 5;
  std::size_t semi = text.find(';', freqAt);
  if (semi == std::string_view::npos) return;
  std::string_view freq = text.substr(freqAt, semi - freqAt);
  // Keys are looked for up to the end of the whole text, the appended zone included.
  auto find = [&](const char* key) -> std::size_t {
    std::size_t at = text.find(key, semi);
    return at == std::string_view::npos ? at : at + std::string_view(key).size();
  };
  auto number = [&](const char* key, std::int32_t& field) {
    std::size_t at = find(key);
    if (at == std::string_view::npos) return false;
    if (auto v = NumberAt(text, at)) field = *v;
    return true;
  };
  auto days = [&](std::int32_t& mask) {
    std::size_t at = find("BYDAY=");
    if (at != std::string_view::npos) mask = DayListAt(text, at);
  };
  if (freq == "DAILY") {
    e.RecurType = kRecurDaily;
    number("INTERVAL=", e.Interval);
  } else if (freq == "WEEKLY") {
    e.RecurType = kRecurWeekly;
    number("INTERVAL=", e.Interval);
    days(e.DayOfWeekMask);
  } else if (freq == "MONTHLY") {
    number("INTERVAL=", e.Interval);
    if (number("BYMONTHDAY=", e.DayOfMonth)) {
      e.RecurType = kRecurMonthly;
    } else if (number("BYWEEKNO=", e.Instance)) {
      e.RecurType = kRecurMonthlyNth;
      days(e.DayOfWeekMask);
    }
  } else if (freq == "YEARLY") {
    number("INTERVAL=", e.Interval);
    if (number("BYMONTH=", e.MonthOfYear)) {
      e.RecurType = kRecurYearly;
      number("BYMONTHDAY=", e.DayOfMonth);
    } else {
      e.RecurType = kRecurYearlyNth;
    }
  }
}

ExceptionDayList ExceptionDatesOf(std::string_view text) {
  std::vector<EventDay> days;
  for (std::string_view line : Lines(text)) {
    if (line == "BEGIN:VTIMEZONE") break;
    if (!IsProperty(line, "EXDATE")) continue;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view values = line.substr(colon + 1);
    while (!values.empty()) {
      std::size_t comma = values.find(',');
      std::string_view v = values.substr(0, comma);
      if (v.size() >= 8 && IsDigits(v.substr(0, 8))) {
        auto n = [&](std::size_t at, std::size_t len) {
          int x = 0;
          for (std::size_t i = 0; i < len; ++i) x = x * 10 + (v[at + i] - '0');
          return static_cast<std::uint16_t>(x);
        };
        days.push_back({n(0, 4), n(4, 2), n(6, 2)});
      }
      if (comma == std::string_view::npos) break;
      values.remove_prefix(comma + 1);
    }
  }
  ExceptionDayList out;
  out.Assign(std::move(days));
  return out;
}

void SetExceptionDates(GoogleEvent& e, const ExceptionDayList& days) {
  std::vector<std::string_view> lines = Lines(e.RecurrenceText.view());
  if (days.empty() && std::none_of(lines.begin(), lines.end(), [](std::string_view line) {
        return IsProperty(line, "EXDATE");
      }))
    return;  // a text with nothing to change stays byte for byte
  std::string_view dtstart;
  std::size_t rrule = lines.size();
  for (std::size_t i = 0; i < lines.size() && lines[i] != "BEGIN:VTIMEZONE"; ++i) {
    if (dtstart.empty() && IsProperty(lines[i], "DTSTART")) dtstart = lines[i];
    if (rrule == lines.size() && IsProperty(lines[i], "RRULE")) rrule = i;
  }
  // A rule without DTSTART starts at the event's start, as a floating time.
  const std::string floating = "DTSTART:" + LocalStamp(e.Start);
  if (dtstart.empty()) dtstart = floating;
  std::string exdate;
  if (!days.empty() && rrule < lines.size()) {
    std::size_t colon = dtstart.find(':');
    std::string_view params = dtstart.substr(7, colon == std::string_view::npos ? 0 : colon - 7);
    std::string_view value =
        colon == std::string_view::npos ? std::string_view() : dtstart.substr(colon + 1);
    // A date-time start: each deleted occurrence began at the start's time of day.
    std::string_view timeOfDay = value.size() > 8 && value[8] == 'T' ? value.substr(8) : "";
    std::string head = "EXDATE" + std::string(params) + ":";
    // The text has a fixed width; what does not fit loses its earliest days (said in the log).
    std::size_t room = FixedText<4096>::kMaxBytes;
    for (std::string_view line : lines)
      if (!IsProperty(line, "EXDATE")) room -= std::min(room, line.size() + 2);
    std::size_t each = 8 + timeOfDay.size() + 1;
    std::size_t fit = room > head.size() + 2 ? (room - head.size() - 2 + 1) / each : 0;
    std::size_t skip = days.size() > fit ? days.size() - fit : 0;
    if (skip)
      QM_LOG_ERROR("The recurrence text of \"%s\" holds %zu of its %zu deleted occurrences.",
                   e.Title.c_str(), days.size() - skip, days.size());
    std::size_t n = 0;
    for (EventDay d : days) {
      if (n++ < skip) continue;
      if (exdate.empty())
        exdate = head;
      else
        exdate += ',';
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04u%02u%02u", static_cast<unsigned>(d.Year),
                    static_cast<unsigned>(d.Month), static_cast<unsigned>(d.Day));
      exdate += buf;
      exdate += timeOfDay;
    }
  }
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsProperty(lines[i], "EXDATE")) continue;
    if (i == rrule && !exdate.empty()) text += exdate + "\r\n";
    text += lines[i];
    if (i + 1 < lines.size()) text += "\r\n";
  }
  if (!e.RecurrenceText.view().empty() && e.RecurrenceText.view().back() == '\n') text += "\r\n";
  e.RecurrenceText = text;
}

void GoogleToCommon(const GoogleEvent& g, CommonEvent& c) {
  c = CommonEvent();
  c.Subject = g.Title.view();
  c.Location = g.Where.view();
  CxDateTime::OleDateToSystemTime(g.Start, c.Start);
  CxDateTime::OleDateToSystemTime(g.End, c.End);
  c.Visibility = static_cast<std::uint32_t>(Keep012(g.Visibility));
  c.EventStatus = static_cast<std::uint32_t>(Keep012(g.EventStatus));
  CommonRecurrence& r = c.Recurrence;
  r.RecurType = (g.RecurType >= 0 && g.RecurType <= 6) ? g.RecurType : 0;
  r.HasEnd = g.HasEnd ? 1 : 0;
  CxDateTime::OleDateToSystemTime(g.PatternStart, r.PatternStart);
  CxDateTime::OleDateToSystemTime(g.PatternEnd, r.PatternEnd);
  r.Interval = g.Interval;
  r.DayOfWeekMask = g.DayOfWeekMask;
  r.DayOfMonth = g.DayOfMonth;
  r.MonthOfYear = g.MonthOfYear;
  r.Instance = g.Instance;
  c.ExceptionDates = ExceptionDatesOf(g.RecurrenceText.view());
  std::int32_t count = g.ReminderCount < 0 ? 0 : g.ReminderCount > 3 ? 3 : g.ReminderCount;
  c.ReminderCount = static_cast<std::uint32_t>(count);
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    c.Reminders[i].Method = g.ReminderMethod[i] == 1 ? 1 : 2;
    c.Reminders[i].Amount = g.ReminderAmount[i];
    c.Reminders[i].Unit =
        (g.ReminderUnit[i] >= 0 && g.ReminderUnit[i] <= 3) ? g.ReminderUnit[i] + 1 : 1;
  }
  c.Description = g.Description.view();
  c.Categories = g.Category.view();
  // The all-day flag is part of an event's key: one that came back without it would never
  // match its source again.
  c.AllDay = g.AllDay ? 1 : 0;
  c.SourceType = kSourceGoogle;
  NormaliseEvent(c);
}

void CommonToGoogle(const CommonEvent& c, GoogleEvent& g) {
  g.Title = c.Subject.view();
  g.Where = c.Location.view();
  if (c.AllDay) {
    // Whole days, the end exclusive, whatever times the source gave.
    CommonEvent days;
    days.AllDay = 1;
    days.Start = c.Start;
    days.End = c.End;
    NormaliseEvent(days);
    CxDateTime::SystemTimeToOleDate(days.Start, g.Start);
    CxDateTime::SystemTimeToOleDate(days.End, g.End);
  } else {
    CxDateTime::SystemTimeToOleDate(c.Start, g.Start);
    CxDateTime::SystemTimeToOleDate(c.End, g.End);
  }
  g.Visibility = Keep012(static_cast<std::int32_t>(c.Visibility));
  g.EventStatus = Keep012(static_cast<std::int32_t>(c.EventStatus));
  const CommonRecurrence& r = c.Recurrence;
  g.RecurType = (r.RecurType >= 0 && r.RecurType <= 6) ? r.RecurType : 0;
  g.HasEnd = r.HasEnd ? 1 : 0;
  CxDateTime::SystemTimeToOleDate(r.PatternStart, g.PatternStart);
  CxDateTime::SystemTimeToOleDate(r.PatternEnd, g.PatternEnd);
  g.Interval = r.Interval;
  g.DayOfWeekMask = r.DayOfWeekMask;
  g.DayOfMonth = r.DayOfMonth;
  g.MonthOfYear = r.MonthOfYear;
  g.Instance = r.Instance;
  // More than three reminders cannot be stored; the count says how many entries are real.
  std::uint32_t count = c.ReminderCount > 3 ? 3 : c.ReminderCount;
  g.ReminderCount = static_cast<std::int32_t>(count);
  for (std::size_t i = 0; i < count; ++i) {
    g.ReminderMethod[i] = c.Reminders[i].Method == 1 ? 1 : 0;
    g.ReminderAmount[i] = c.Reminders[i].Amount;
    g.ReminderUnit[i] =
        (c.Reminders[i].Unit >= 1 && c.Reminders[i].Unit <= 4) ? c.Reminders[i].Unit - 1 : 0;
  }
  g.Description = c.Description.view();
  g.Category = c.Categories.view();
  g.AllDay = c.AllDay ? 1 : 0;
}
