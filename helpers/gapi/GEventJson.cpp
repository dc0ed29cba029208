#include "gapi/GEventJson.h"

#include <cstdio>
#include <ctime>

#include "ICalCard.h"
#include "misc/CxDateTime.h"

namespace {

using json = nlohmann::json;

// Google keeps reminders up to four weeks ahead.
constexpr int kMaxReminderMinutes = 40320;

std::string Str(const json& j, const char* key) {
  if (!j.is_object()) return {};
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

int ReminderMinutes(std::int32_t amount, std::int32_t unit) {
  long long a = amount < 0 ? 0 : amount;
  long long m = unit == 1 ? a * 60 : unit == 2 ? a * 1440 : unit == 3 ? a * 10080 : a;
  return static_cast<int>(m > kMaxReminderMinutes ? kMaxReminderMinutes : m);
}

// Minutes in the largest unit that divides them, as the local account's alarms read back.
void ReminderOf(int minutes, std::int32_t& amount, std::int32_t& unit) {
  if (minutes > 0 && minutes % 10080 == 0) {
    amount = minutes / 10080;
    unit = 3;
  } else if (minutes > 0 && minutes % 1440 == 0) {
    amount = minutes / 1440;
    unit = 2;
  } else if (minutes > 0 && minutes % 60 == 0) {
    amount = minutes / 60;
    unit = 1;
  } else {
    amount = minutes < 0 ? 0 : minutes;
    unit = 0;
  }
}

json TimeJson(OleDate t, bool allDay, const GEventOptions& o) {
  if (allDay) return {{"date", RfcDate(t)}};
  json j = {{"dateTime", RfcDateTime(t)}};
  if (!o.tzid.empty()) j["timeZone"] = o.tzid;
  return j;
}

OleDate DayAfter(OleDate d) {
  return CxDateTime::AddDays(d, 1);
}

}  // namespace

std::string RfcDate(OleDate local) {
  SYSTEMTIME st;
  if (!CxDateTime::OleDateToSystemTime(local, st)) return {};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
  return buf;
}

std::string RfcDateTime(OleDate local) {
  SYSTEMTIME st;
  if (!CxDateTime::OleDateToSystemTime(local, st)) return {};
  std::time_t t = CxDateTime::OleDateToTimeT(local);
  std::tm tm{};
  long offset = t != -1 && ::localtime_r(&t, &tm) ? tm.tm_gmtoff : 0;
  char sign = offset < 0 ? '-' : '+';
  long a = offset < 0 ? -offset : offset;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", st.wYear, st.wMonth,
                st.wDay, st.wHour, st.wMinute, st.wSecond, sign, a / 3600, (a / 60) % 60);
  return buf;
}

bool ParseRfcDateTime(const std::string& text, OleDate& local) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (text.size() == 10) {
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d", &y, &mo, &d) != 3) return false;
    SYSTEMTIME st;
    st.wYear = static_cast<std::uint16_t>(y);
    st.wMonth = static_cast<std::uint16_t>(mo);
    st.wDay = static_cast<std::uint16_t>(d);
    return y > 0 && mo >= 1 && mo <= 12 && d >= 1 && d <= 31 &&
           CxDateTime::SystemTimeToOleDate(st, local);
  }
  if (text.size() < 19 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s) != 6)
    return false;
  std::size_t at = 19;
  if (at < text.size() && text[at] == '.')  // fractions of a second
    while (at < text.size() && (text[at] == '.' || (text[at] >= '0' && text[at] <= '9'))) ++at;
  long offset = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    int oh = 0, om = 0;
    if (std::sscanf(text.c_str() + at + 1, "%2d:%2d", &oh, &om) != 2) return false;
    offset = (oh * 3600L + om * 60L) * (text[at] == '-' ? -1 : 1);
  } else if (at >= text.size() || (text[at] != 'Z' && text[at] != 'z')) {
    return false;
  }
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return false;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  std::time_t t = ::timegm(&tm);
  if (t == -1) return false;
  local = CxDateTime::TimeTToOleDate(t - offset);
  return true;
}

std::string RuleLineOf(const GoogleEvent& e, const GEventOptions& o) {
  ICalOptions io;
  io.tzid = o.tzid;
  std::string rule = StandardRule(e, io);
  return rule.empty() ? rule : "RRULE:" + rule;
}

json EventJsonOf(const GoogleEvent& e, const GEventOptions& o) {
  json j = json::object();
  const bool allDay = e.AllDay != 0;
  if (!e.Title.empty()) j["summary"] = e.Title.str();
  if (!e.Where.empty()) j["location"] = e.Where.str();
  if (!e.Description.empty()) j["description"] = e.Description.str();
  j["start"] = TimeJson(e.Start, allDay, o);
  OleDate end = e.End.IsSet() && e.End.value >= e.Start.value ? e.End : e.Start;
  if (allDay && end.value <= e.Start.value) end = DayAfter(e.Start);
  j["end"] = TimeJson(end, allDay, o);
  if (e.Visibility == 1) j["visibility"] = "public";
  if (e.Visibility == 2) j["visibility"] = "private";
  if (e.EventStatus == 1) j["status"] = "tentative";
  std::string rule = RuleLineOf(e, o);
  if (!rule.empty()) {
    j["recurrence"] = json::array({rule});
    ICalOptions io;
    io.tzid = o.tzid;
    for (std::string& line : StandardExceptionLines(e, io)) j["recurrence"].push_back(line);
  }
  std::int32_t count = e.ReminderCount < 0 ? 0 : e.ReminderCount > 3 ? 3 : e.ReminderCount;
  if (count > 0) {
    json overrides = json::array();
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
      overrides.push_back({{"method", e.ReminderMethod[i] == 1 ? "popup" : "email"},
                           {"minutes", ReminderMinutes(e.ReminderAmount[i], e.ReminderUnit[i])}});
    j["reminders"] = {{"useDefault", false}, {"overrides", overrides}};
  }
  if (!e.Category.empty())
    j["extendedProperties"] = {{"private", {{kGCategoryProperty, e.Category.str()}}}};
  return j;
}

bool EventOfJson(const json& j, GoogleEvent& e, const GEventOptions& o) {
  if (!j.is_object()) return false;
  const json start = j.value("start", json::object());
  const json end = j.value("end", json::object());
  std::string startText = Str(start, "dateTime");
  e.AllDay = startText.empty() ? 1 : 0;
  if (startText.empty()) startText = Str(start, "date");
  if (!ParseRfcDateTime(startText, e.Start)) return false;
  std::string endText = Str(end, e.AllDay ? "date" : "dateTime");
  if (!ParseRfcDateTime(endText, e.End)) e.End = e.Start;
  e.Title = Str(j, "summary");
  e.Where = Str(j, "location");
  e.Description = Str(j, "description");
  std::string visibility = Str(j, "visibility");
  e.Visibility = visibility == "public"                                      ? 1
                 : (visibility == "private" || visibility == "confidential") ? 2
                                                                             : 0;
  std::string status = Str(j, "status");
  e.EventStatus = status == "tentative" ? 1 : status == "cancelled" ? 2 : 0;
  e.ReminderCount = 0;
  const json reminders = j.value("reminders", json::object());
  if (reminders.is_object() && reminders.contains("overrides") && reminders["overrides"].is_array())
    for (const json& r : reminders["overrides"]) {
      if (e.ReminderCount == 3 || !r.is_object()) break;
      auto i = static_cast<std::size_t>(e.ReminderCount++);
      e.ReminderMethod[i] = Str(r, "method") == "email" ? 0 : 1;
      int minutes = r.value("minutes", 0);
      ReminderOf(minutes, e.ReminderAmount[i], e.ReminderUnit[i]);
    }
  const json props = j.value("extendedProperties", json::object());
  if (props.is_object())
    e.Category = Str(props.value("private", json::object()), kGCategoryProperty);
  for (const char* stamp : {"created", "updated"}) {
    OleDate t;
    if (ParseRfcDateTime(Str(j, stamp), t)) e.FurtherTimes[stamp[0] == 'c' ? 0 : 1] = t;
  }
  // The pattern: read through the iCalendar reader, which gives the fields and the text.
  std::string rule, exdates;
  if (j.contains("recurrence") && j["recurrence"].is_array())
    for (const json& line : j["recurrence"]) {
      if (!line.is_string()) continue;
      const std::string& text = line.get_ref<const std::string&>();
      if (rule.empty() && text.rfind("RRULE:", 0) == 0) rule = text;
      // Only whole property lines: a line break inside would add properties of its own.
      if ((text.rfind("EXDATE:", 0) == 0 || text.rfind("EXDATE;", 0) == 0) &&
          text.find_first_of("\r\n") == std::string::npos)
        exdates += text + "\r\n";
    }
  if (!rule.empty()) {
    std::string dtstart;
    if (e.AllDay) {
      std::string d = RfcDate(e.Start);
      d.erase(std::remove(d.begin(), d.end(), '-'), d.end());
      dtstart = "DTSTART;VALUE=DATE:" + d;
    } else {
      std::time_t t = CxDateTime::OleDateToTimeT(e.Start);
      std::tm tm{};
      char buf[32] = {};
      if (t != -1 && ::gmtime_r(&t, &tm)) std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &tm);
      dtstart = std::string("DTSTART:") + buf;
    }
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n" + dtstart +
                       "\r\n" + rule + "\r\n" + exdates + "END:VEVENT\r\nEND:VCALENDAR\r\n";
    GoogleEvent pattern;
    pattern.CalendarRef = e.CalendarRef;
    ICalOptions io;
    io.tzid = o.tzid;
    if (ReadEventICal(text, pattern, io)) {
      e.RecurType = pattern.RecurType;
      e.HasEnd = pattern.HasEnd;
      e.PatternStart = pattern.PatternStart;
      e.PatternEnd = pattern.PatternEnd;
      e.Interval = pattern.Interval;
      e.DayOfWeekMask = pattern.DayOfWeekMask;
      e.DayOfMonth = pattern.DayOfMonth;
      e.MonthOfYear = pattern.MonthOfYear;
      e.Instance = pattern.Instance;
      e.RecurrenceText = pattern.RecurrenceText;
    }
  }
  return true;
}
