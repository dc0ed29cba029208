#include "ICalCard.h"

#include <libical/ical.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "VCard.h"
#include "google/GTimeZones.h"
#include "misc/CxDateTime.h"
#include "misc/RecordStatus.h"
#include "platform/AtomicFile.h"

namespace {

// A rule's occurrences are walked only to find the last of a COUNT; a count beyond this is
// no organiser's.
constexpr int kMaxCountWalk = 5000;

struct ComponentDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct ZoneDeleter {
  void operator()(icaltimezone* z) const { icaltimezone_free(z, 1); }
};

bool IsUtcName(std::string_view id) {
  return id == "UTC" || id == "Etc/UTC" || id == "GMT" || id == "Etc/GMT" || id == "Universal" ||
         id == "Zulu" || id == "Etc/Universal" || id == "Etc/Zulu" || id == "UCT" ||
         id == "Etc/UCT";
}

// The zone the account's files use, with its VTIMEZONE. Null zone: UTC, or an unknown zone
// (then times are written as floating local times).
class Zone {
 public:
  explicit Zone(const std::string& tzid) : tzid_(tzid) {
    if (IsUtcName(tzid)) {
      utc_ = true;
      return;
    }
    icalcomponent* comp = nullptr;
    if (const GTimeZone* row = FindTimeZone(tzid); row && row->vtimezone && *row->vtimezone)
      comp = icalparser_parse_string(row->vtimezone);
    if (!comp) {
      if (icaltimezone* builtin = icaltimezone_get_builtin_timezone(tzid.c_str()))
        if (icalcomponent* c = icaltimezone_get_component(builtin)) {
          comp = icalcomponent_new_clone(c);
          // Builtin zones carry a vendor prefix; files name the zone by its Olson name.
          if (icalproperty* p = icalcomponent_get_first_property(comp, ICAL_TZID_PROPERTY))
            icalproperty_set_tzid(p, tzid.c_str());
        }
    }
    if (!comp) return;
    if (icalcomponent_isa(comp) != ICAL_VTIMEZONE_COMPONENT) {
      icalcomponent_free(comp);
      return;
    }
    zone_.reset(icaltimezone_new());
    if (!icaltimezone_set_component(zone_.get(), comp)) {
      icalcomponent_free(comp);
      zone_.reset();
    }
  }

  bool Utc() const { return utc_; }
  icaltimezone* Get() const { return utc_ ? icaltimezone_get_utc_timezone() : zone_.get(); }
  const std::string& Id() const { return tzid_; }
  // A copy of the VTIMEZONE for a calendar, or null.
  icalcomponent* CloneComponent() const {
    if (!zone_) return nullptr;
    icalcomponent* c = icaltimezone_get_component(zone_.get());
    return c ? icalcomponent_new_clone(c) : nullptr;
  }

 private:
  std::string tzid_;
  bool utc_ = false;
  std::unique_ptr<icaltimezone, ZoneDeleter> zone_;
};

// A local time of this machine in the account's zone (the same zone: only the form changes).
// A local time of this machine in the account's zone, which is this machine's: the wall-clock
// fields stay as they are and get the zone.
icaltimetype ToICal(OleDate local, const Zone& zone, bool dateOnly) {
  SYSTEMTIME st;
  icaltimetype t = icaltime_null_time();
  if (!CxDateTime::OleDateToSystemTime(local, st)) return t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  if (dateOnly) {
    t.is_date = 1;
    return t;
  }
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.zone = zone.Get();
  return t;
}

icaltimetype ToUtc(OleDate local) {
  std::time_t tt = CxDateTime::OleDateToTimeT(local);
  return icaltime_from_timet_with_zone(tt, 0, icaltimezone_get_utc_timezone());
}

// `localZone`: the zone this machine's local times are in. A time given in it is this machine's
// wall-clock time as it stands: converting it through the file's VTIMEZONE would move times
// the zone table's rules do not cover (dates before a zone's current rules) by an hour.
OleDate FromICal(const icaltimetype& t, std::string_view localZone = {}) {
  OleDate out;
  if (icaltime_is_null_time(t)) return out;
  const char* tzid = t.zone && !icaltime_is_utc(t)
                         ? icaltimezone_get_tzid(const_cast<icaltimezone*>(t.zone))
                         : nullptr;
  const bool local = !localZone.empty() && tzid && localZone == tzid;
  if (t.is_date || local || (!t.zone && !icaltime_is_utc(t))) {
    SYSTEMTIME st;
    st.wYear = static_cast<std::uint16_t>(t.year);
    st.wMonth = static_cast<std::uint16_t>(t.month);
    st.wDay = static_cast<std::uint16_t>(t.day);
    if (!t.is_date) {
      st.wHour = static_cast<std::uint16_t>(t.hour);
      st.wMinute = static_cast<std::uint16_t>(t.minute);
      st.wSecond = static_cast<std::uint16_t>(t.second);
    }
    CxDateTime::SystemTimeToOleDate(st, out);
    return out;
  }
  std::time_t tt =
      icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
  return CxDateTime::TimeTToOleDate(tt);
}

OleDate DatePart(OleDate d) {
  SYSTEMTIME st;
  OleDate out;
  if (!CxDateTime::OleDateToSystemTime(d, st)) return out;
  st.wHour = st.wMinute = st.wSecond = st.wMilliseconds = 0;
  CxDateTime::SystemTimeToOleDate(st, out);
  return out;
}

std::string ToText(icalcomponent* cal) {
  char* s = icalcomponent_as_ical_string_r(cal);
  std::string out = s ? s : "";
  std::free(s);
  return out;
}

Component NewCalendar(const char* prodid) {
  Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(cal.get(), icalproperty_new_prodid(prodid));
  return cal;
}

// Never a broken character into a file: a text cut at a width loses the stub.
void AddText(icalcomponent* c, icalproperty* (*make)(const char*), std::string_view text) {
  if (!text.empty()) icalcomponent_add_property(c, make(AsUtf8(text).c_str()));
}

// The first component of `kind` in a parsed text: the root itself or one inside it.
icalcomponent* FindComponent(icalcomponent* root, icalcomponent_kind kind) {
  if (!root) return nullptr;
  if (icalcomponent_isa(root) == kind) return root;
  return icalcomponent_get_first_component(root, kind);
}

std::string TextOf(icalcomponent* c, icalproperty_kind kind) {
  icalproperty* p = icalcomponent_get_first_property(c, kind);
  if (!p) return {};
  const char* v = icalproperty_get_value_as_string(p);
  if (!v) return {};
  // The value form keeps the escapes; the typed getters give the text itself.
  icalvalue* value = icalproperty_get_value(p);
  // Each value on its own: valid UTF-8 as it is, anything else as Windows text.
  if (value && icalvalue_isa(value) == ICAL_TEXT_VALUE) {
    const char* text = icalvalue_get_text(value);
    return text ? AsUtf8(text) : "";
  }
  return AsUtf8(v);
}

std::string CategoriesOf(icalcomponent* c) {
  std::string out;
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_CATEGORIES_PROPERTY); p;
       p = icalcomponent_get_next_property(c, ICAL_CATEGORIES_PROPERTY)) {
    const char* v = icalproperty_get_categories(p);
    if (!v || !*v) continue;
    if (!out.empty()) out += ", ";
    out += AsUtf8(v);
  }
  return out;
}

void SetStamps(icalcomponent* c, const std::array<OleDate, 2>& times) {
  icalcomponent_add_property(
      c,
      icalproperty_new_dtstamp(icaltime_current_time_with_zone(icaltimezone_get_utc_timezone())));
  if (times[0].IsSet()) icalcomponent_add_property(c, icalproperty_new_created(ToUtc(times[0])));
  if (times[1].IsSet())
    icalcomponent_add_property(c, icalproperty_new_lastmodified(ToUtc(times[1])));
}

void ReadStamps(icalcomponent* c, std::array<OleDate, 2>& times) {
  if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_CREATED_PROPERTY))
    times[0] = FromICal(icalproperty_get_created(p));
  if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_LASTMODIFIED_PROPERTY))
    times[1] = FromICal(icalproperty_get_lastmodified(p));
}

// --- recurrence -------------------------------------------------------------------------

short EncodeDay(int weekday, int position) {
  int v = (position < 0 ? -position : position) * 8 + weekday;
  return static_cast<short>(position < 0 ? -v : v);
}

int WeekdayOf(OleDate d) {
  SYSTEMTIME st;
  CxDateTime::OleDateToSystemTime(d, st);
  return st.wDayOfWeek;  // 0 = Sunday
}

// Days of the mask as libical weekdays (1 = Sunday), with a position.
void PutDays(icalrecurrencetype& r, std::int32_t mask, int position) {
  int n = 0;
  for (int bit = 0; bit < 7; ++bit)
    if (mask & (1 << bit)) r.by_day[n++] = EncodeDay(bit + 1, position);
  r.by_day[n] = ICAL_RECURRENCE_ARRAY_MAX;
}

int InstancePosition(std::int32_t instance) {
  // The pattern's fifth instance means the last one.
  return instance >= 5 ? -1 : instance < 1 ? 1 : instance;
}

// The n-th weekday: one day as BYDAY=2TU, several as BYDAY=MO,TU;BYSETPOS=2.
void PutNthDays(icalrecurrencetype& r, std::int32_t mask, std::int32_t instance) {
  int position = InstancePosition(instance);
  int days = 0;
  for (int bit = 0; bit < 7; ++bit) days += (mask >> bit) & 1;
  if (days == 1) {
    PutDays(r, mask, position);
  } else {
    PutDays(r, mask, 0);
    r.by_set_pos[0] = static_cast<short>(position);
    r.by_set_pos[1] = ICAL_RECURRENCE_ARRAY_MAX;
  }
}

bool BuildRule(const GoogleEvent& source, const Zone& zone, icalrecurrencetype& r) {
  GoogleEvent e = source;
  // Only a recurrence text (no pattern fields): read the pattern from the text. Not on an
  // update: the connector keeps a loaded event's text, so with no pattern the text is stale
  // and the event no longer recurs.
  if (e.RecurType == kRecurNone && e.Action != 2 && !e.RecurrenceText.empty())
    ParseRecurrenceText(e);
  icalrecurrencetype_clear(&r);
  r.interval = static_cast<short>(e.Interval >= 1 && e.Interval <= 1000 ? e.Interval : 1);
  SYSTEMTIME start;
  CxDateTime::OleDateToSystemTime(e.Start, start);
  std::int32_t mask = e.DayOfWeekMask & 0x7F;
  if (!mask) mask = 1 << WeekdayOf(e.Start);
  auto month = [&] {
    return static_cast<short>(e.MonthOfYear >= 1 && e.MonthOfYear <= 12 ? e.MonthOfYear
                                                                        : start.wMonth);
  };
  auto monthDay = [&] {
    return static_cast<short>(e.DayOfMonth >= 1 && e.DayOfMonth <= 31 ? e.DayOfMonth : start.wDay);
  };
  switch (e.RecurType) {
    case kRecurDaily:
      r.freq = ICAL_DAILY_RECURRENCE;
      break;
    case kRecurWeekly:
      r.freq = ICAL_WEEKLY_RECURRENCE;
      PutDays(r, mask, 0);
      break;
    case kRecurMonthlyNth:
      r.freq = ICAL_MONTHLY_RECURRENCE;
      PutNthDays(r, mask, e.Instance);
      break;
    case kRecurMonthly:
      r.freq = ICAL_MONTHLY_RECURRENCE;
      r.by_month_day[0] = monthDay();
      r.by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
      break;
    case kRecurYearlyNth:
      r.freq = ICAL_YEARLY_RECURRENCE;
      r.by_month[0] = month();
      r.by_month[1] = ICAL_RECURRENCE_ARRAY_MAX;
      PutNthDays(r, mask, e.Instance);
      break;
    case kRecurYearly:
      r.freq = ICAL_YEARLY_RECURRENCE;
      r.by_month[0] = month();
      r.by_month[1] = ICAL_RECURRENCE_ARRAY_MAX;
      r.by_month_day[0] = monthDay();
      r.by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
      break;
    default:
      return false;
  }
  if (e.HasEnd && e.PatternEnd.IsSet()) {
    // The last occurrence starts on the end date at the event's time of day; with a zoned
    // start the rule's end must be given in UTC.
    OleDate last(DatePart(e.PatternEnd).value + (e.Start.value - DatePart(e.Start).value));
    if (source.AllDay)
      r.until = ToICal(e.PatternEnd, zone, true);
    else if (zone.Get() || zone.Utc())
      r.until = ToUtc(last);
    else
      r.until = ToICal(last, zone, false);
  }
  return true;
}

int DayPosition(short day) {
  return icalrecurrencetype_day_position(day);
}

std::int32_t MaskOf(const icalrecurrencetype& r, int* position) {
  std::int32_t mask = 0;
  for (int i = 0; i < ICAL_BY_DAY_SIZE && r.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    int wd = static_cast<int>(icalrecurrencetype_day_day_of_week(r.by_day[i]));
    if (wd >= 1 && wd <= 7) mask |= 1 << (wd - 1);
    if (position && DayPosition(r.by_day[i]) != 0) *position = DayPosition(r.by_day[i]);
  }
  return mask;
}

void ReadRule(icalcomponent* ev, const icaltimetype& dtstart, GoogleEvent& e) {
  icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
  if (!p) return;
  icalrecurrencetype r = icalproperty_get_rrule(p);
  SYSTEMTIME start;
  CxDateTime::OleDateToSystemTime(e.Start, start);
  e.Interval = r.interval >= 1 ? r.interval : 1;
  int position = 0;
  std::int32_t mask = MaskOf(r, &position);
  if (!position && r.by_set_pos[0] != ICAL_RECURRENCE_ARRAY_MAX) position = r.by_set_pos[0];
  const bool hasDays = r.by_day[0] != ICAL_RECURRENCE_ARRAY_MAX;
  // Numbers of a hostile rule are held to the calendar's ranges.
  const bool hasMonthDay = r.by_month_day[0] >= 1 && r.by_month_day[0] <= 31;
  const int monthOf = r.by_month[0] >= 1 && r.by_month[0] <= 12 ? r.by_month[0] : start.wMonth;
  auto instance = [&] { return position < 0 ? 5 : position; };
  switch (r.freq) {
    case ICAL_DAILY_RECURRENCE:
      // "Every weekday" is a daily rule limited to some days: a weekly pattern here.
      e.RecurType = hasDays ? kRecurWeekly : kRecurDaily;
      if (hasDays) e.DayOfWeekMask = mask;
      break;
    case ICAL_WEEKLY_RECURRENCE:
      e.RecurType = kRecurWeekly;
      e.DayOfWeekMask = hasDays ? mask : 1 << start.wDayOfWeek;
      break;
    case ICAL_MONTHLY_RECURRENCE:
      if (hasDays && position) {
        e.RecurType = kRecurMonthlyNth;
        e.DayOfWeekMask = mask;
        e.Instance = instance();
      } else {
        e.RecurType = kRecurMonthly;
        e.DayOfMonth = hasMonthDay ? r.by_month_day[0] : start.wDay;
      }
      break;
    case ICAL_YEARLY_RECURRENCE:
      e.MonthOfYear = monthOf;
      if (hasDays && position) {
        e.RecurType = kRecurYearlyNth;
        e.DayOfWeekMask = mask;
        e.Instance = instance();
      } else {
        e.RecurType = kRecurYearly;
        e.DayOfMonth = hasMonthDay ? r.by_month_day[0] : start.wDay;
      }
      break;
    default:
      return;
  }
  e.PatternStart = DatePart(e.Start);
  if (!icaltime_is_null_time(r.until)) {
    e.HasEnd = 1;
    e.PatternEnd = DatePart(FromICal(r.until));
  } else if (r.count > 0) {
    icalrecur_iterator* it = icalrecur_iterator_new(r, dtstart);
    icaltimetype last = icaltime_null_time();
    if (it) {
      int n = 0;
      for (icaltimetype t = icalrecur_iterator_next(it);
           !icaltime_is_null_time(t) && n < kMaxCountWalk; t = icalrecur_iterator_next(it), ++n)
        last = t;
      icalrecur_iterator_free(it);
    }
    if (!icaltime_is_null_time(last)) {
      last.zone = dtstart.zone;
      e.HasEnd = 1;
      e.PatternEnd = DatePart(FromICal(last));
    }
  }
}

// One deleted occurrence, named by its start: the date of an all-day event, else the day at the
// start's time of day in the zone DTSTART carries.
icalproperty* NewExceptionProperty(EventDay day, const GoogleEvent& e, const Zone& zone) {
  SYSTEMTIME st;
  if (!CxDateTime::OleDateToSystemTime(e.Start, st)) return nullptr;
  st.wYear = day.Year;
  st.wMonth = day.Month;
  st.wDay = day.Day;
  OleDate at;
  if (!CxDateTime::SystemTimeToOleDate(st, at)) return nullptr;
  const bool allDay = e.AllDay != 0;
  icaltimetype t = ToICal(at, zone, allDay);
  icalproperty* p = icalproperty_new_exdate(t);
  if (!allDay && t.zone && !zone.Utc())
    icalproperty_add_parameter(p, icalparameter_new_tzid(zone.Id().c_str()));
  return p;
}

// The days of the event's EXDATE values, as this machine's calendar has them.
ExceptionDayList ExceptionDaysOf(icalcomponent* ev, const ICalOptions& o) {
  std::vector<EventDay> days;
  for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY)) {
    icaltimetype t = icalproperty_get_exdate(p);
    if (icaltime_is_null_time(t)) continue;
    SYSTEMTIME st;
    if (t.is_date) {
      days.push_back({static_cast<std::uint16_t>(t.year), static_cast<std::uint16_t>(t.month),
                      static_cast<std::uint16_t>(t.day)});
    } else if (CxDateTime::OleDateToSystemTime(FromICal(t, o.tzid), st)) {
      days.push_back({st.wYear, st.wMonth, st.wDay});
    }
  }
  ExceptionDayList out;
  out.Assign(std::move(days));
  return out;
}

icaldurationtype ReminderDuration(std::int32_t amount, std::int32_t unit) {
  icaldurationtype d = icaldurationtype_null_duration();
  d.is_neg = 1;
  auto a = static_cast<unsigned>(amount < 0 ? 0 : amount);
  switch (unit) {
    case 1:
      d.hours = a;
      break;
    case 2:
      d.days = a;
      break;
    case 3:
      d.weeks = a;
      break;
    default:
      d.minutes = a;
      break;
  }
  return d;
}

// The amount and unit of a trigger: in the one unit it is written in, else in minutes.
void ReminderOf(const icaldurationtype& d, std::int32_t& amount, std::int32_t& unit) {
  // A hostile file can give any field up to 2^32 - 1; past this no reminder means anything.
  constexpr unsigned kMaxField = 100000000;
  if (d.weeks > kMaxField || d.days > kMaxField || d.hours > kMaxField || d.minutes > kMaxField ||
      d.seconds > kMaxField) {
    amount = 0;
    unit = 0;
    return;
  }
  int fields =
      (d.weeks != 0) + (d.days != 0) + (d.hours != 0) + (d.minutes != 0) + (d.seconds != 0);
  if (fields == 1 && d.weeks) {
    amount = static_cast<std::int32_t>(d.weeks);
    unit = 3;
    return;
  }
  if (fields == 1 && d.days) {
    amount = static_cast<std::int32_t>(d.days);
    unit = 2;
    return;
  }
  if (fields == 1 && d.hours) {
    amount = static_cast<std::int32_t>(d.hours);
    unit = 1;
    return;
  }
  long long seconds =
      (((static_cast<long long>(d.weeks) * 7 + d.days) * 24 + d.hours) * 60 + d.minutes) * 60 +
      d.seconds;
  amount = static_cast<std::int32_t>(seconds / 60 > 100000000 ? 100000000 : seconds / 60);
  unit = 0;
}

}  // namespace

std::string MachineTimeZone() {
  auto fromPath = [](std::string path) -> std::string {
    auto at = path.find("zoneinfo/");
    return at == std::string::npos ? std::string() : path.substr(at + 9);
  };
  if (const char* tz = std::getenv("TZ"); tz && *tz) {
    std::string name = tz[0] == ':' ? tz + 1 : tz;
    if (!name.empty() && name[0] == '/') name = fromPath(name);
    if (!name.empty() &&
        (FindTimeZone(name) || IsUtcName(name) || icaltimezone_get_builtin_timezone(name.c_str())))
      return name;
  }
  char buf[4096];
  ssize_t n = ::readlink("/etc/localtime", buf, sizeof buf - 1);
  if (n > 0) {
    std::string name = fromPath(std::string(buf, static_cast<std::size_t>(n)));
    if (!name.empty()) return name;
  }
  std::string text;
  if (platform::ReadWholeFile("/etc/timezone", text)) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (!text.empty() && text.size() < 64) return text;
  }
  return "UTC";
}

std::string StandardRule(const GoogleEvent& event, const ICalOptions& o) {
  Zone zone(o.tzid);
  icalrecurrencetype r;
  if (!BuildRule(event, zone, r)) return {};
  char* s = icalrecurrencetype_as_string_r(&r);
  std::string out = s ? s : "";
  std::free(s);
  return out;
}

std::vector<std::string> StandardExceptionLines(const GoogleEvent& event, const ICalOptions& o) {
  std::vector<std::string> lines;
  Zone zone(o.tzid);
  icalrecurrencetype r;
  if (!BuildRule(event, zone, r)) return lines;
  for (EventDay day : ExceptionDatesOf(event.RecurrenceText.view())) {
    icalproperty* p = NewExceptionProperty(day, event, zone);
    if (!p) continue;
    char* s = icalproperty_as_ical_string_r(p);
    std::string line = s ? s : "";
    std::free(s);
    icalproperty_free(p);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

std::string WriteEventICal(const GoogleEvent& e, std::string_view uid, const ICalOptions& o) {
  Zone zone(o.tzid);
  Component cal = NewCalendar("-//Quillmove//GDateUtil//EN");
  const bool allDay = e.AllDay != 0;
  if (!allDay)
    if (icalcomponent* tz = zone.CloneComponent()) icalcomponent_add_component(cal.get(), tz);
  icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
  icalcomponent_add_component(cal.get(), ev);
  icalcomponent_add_property(ev, icalproperty_new_uid(std::string(uid).c_str()));
  SetStamps(ev, e.FurtherTimes);
  icalcomponent_set_dtstart(ev, ToICal(e.Start, zone, allDay));
  if (e.End.IsSet()) icalcomponent_set_dtend(ev, ToICal(e.End, zone, allDay));
  AddText(ev, icalproperty_new_summary, e.Title.view());
  AddText(ev, icalproperty_new_location, e.Where.view());
  AddText(ev, icalproperty_new_description, e.Description.view());
  AddText(ev, icalproperty_new_categories, e.Category.view());
  if (e.Visibility == 2) icalcomponent_add_property(ev, icalproperty_new_class(ICAL_CLASS_PRIVATE));
  if (e.Visibility == 1) icalcomponent_add_property(ev, icalproperty_new_class(ICAL_CLASS_PUBLIC));
  icalcomponent_add_property(ev,
                             icalproperty_new_status(e.EventStatus == 1   ? ICAL_STATUS_TENTATIVE
                                                     : e.EventStatus == 2 ? ICAL_STATUS_CANCELLED
                                                                          : ICAL_STATUS_CONFIRMED));
  icalrecurrencetype r;
  if (BuildRule(e, zone, r)) {
    icalcomponent_add_property(ev, icalproperty_new_rrule(r));
    for (EventDay day : ExceptionDatesOf(e.RecurrenceText.view()))
      if (icalproperty* p = NewExceptionProperty(day, e, zone)) icalcomponent_add_property(ev, p);
  }
  std::int32_t reminders = e.ReminderCount < 0 ? 0 : e.ReminderCount > 3 ? 3 : e.ReminderCount;
  for (std::size_t i = 0; i < static_cast<std::size_t>(reminders); ++i) {
    icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = ReminderDuration(e.ReminderAmount[i], e.ReminderUnit[i]);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    std::string summary = e.Title.empty() ? std::string("Reminder") : std::string(e.Title.view());
    if (e.ReminderMethod[i] == 1 || o.organizer.empty()) {
      icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
      icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
    } else {
      icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_EMAIL));
      icalcomponent_add_property(alarm, icalproperty_new_summary(summary.c_str()));
      icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
      icalcomponent_add_property(alarm,
                                 icalproperty_new_attendee(("mailto:" + o.organizer).c_str()));
    }
    icalcomponent_add_component(ev, alarm);
  }
  return ToText(cal.get());
}

bool ReadEventICal(std::string_view text, GoogleEvent& e, const ICalOptions& o) {
  Component root(icalparser_parse_string(std::string(text).c_str()));
  icalcomponent* ev = FindComponent(root.get(), ICAL_VEVENT_COMPONENT);
  // A recurring event's exceptions share its resource, in any order: the series is the one
  // without a RECURRENCE-ID.
  for (icalcomponent* c = ev; c && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT;
       c = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
    if (!icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) {
      ev = c;
      break;
    }
  }
  if (!ev) return false;
  icaltimetype start = icalcomponent_get_dtstart(ev);
  if (icaltime_is_null_time(start)) return false;
  e.Start = FromICal(start, o.tzid);
  e.AllDay = start.is_date ? 1 : 0;
  icaltimetype end = icalcomponent_get_dtend(ev);
  e.End = icaltime_is_null_time(end) ? e.Start : FromICal(end, o.tzid);
  e.Title = TextOf(ev, ICAL_SUMMARY_PROPERTY);
  e.Where = TextOf(ev, ICAL_LOCATION_PROPERTY);
  e.Description = TextOf(ev, ICAL_DESCRIPTION_PROPERTY);
  e.Category = CategoriesOf(ev);
  if (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_CLASS_PROPERTY)) {
    icalproperty_class c = icalproperty_get_class(p);
    e.Visibility = c == ICAL_CLASS_PUBLIC                                      ? 1
                   : (c == ICAL_CLASS_PRIVATE || c == ICAL_CLASS_CONFIDENTIAL) ? 2
                                                                               : 0;
  }
  icalproperty_status status = icalcomponent_get_status(ev);
  e.EventStatus = status == ICAL_STATUS_TENTATIVE ? 1 : status == ICAL_STATUS_CANCELLED ? 2 : 0;
  ReadStamps(ev, e.FurtherTimes);
  e.ReminderCount = 0;
  for (icalcomponent* a = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT);
       a && e.ReminderCount < 3; a = icalcomponent_get_next_component(ev, ICAL_VALARM_COMPONENT)) {
    icalproperty* tp = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY);
    if (!tp) continue;
    icaltriggertype trigger = icalproperty_get_trigger(tp);
    auto i = static_cast<std::size_t>(e.ReminderCount);
    if (!icaltime_is_null_time(trigger.time)) {
      // An absolute trigger: how long before the start it fires.
      double minutes = (e.Start.value - FromICal(trigger.time).value) * 24 * 60;
      e.ReminderAmount[i] =
          minutes > 0 && minutes < 1e8 ? static_cast<std::int32_t>(minutes + 0.5) : 0;
      e.ReminderUnit[i] = 0;
    } else {
      ReminderOf(trigger.duration, e.ReminderAmount[i], e.ReminderUnit[i]);
    }
    icalproperty* ap = icalcomponent_get_first_property(a, ICAL_ACTION_PROPERTY);
    e.ReminderMethod[i] = ap && icalproperty_get_action(ap) == ICAL_ACTION_EMAIL ? 0 : 1;
    ++e.ReminderCount;
  }
  ReadRule(ev, start, e);
  if (e.RecurType != kRecurNone) {
    // The connector's own text form beside the pattern; its reader gives the same pattern.
    GRecurrenceZone rz;
    rz.chosen = true;
    rz.id = start.is_date ? std::string() : o.tzid;
    e.RecurrenceText = "";
    BuildRecurrenceText(e, {}, e.CalendarRef.view(), rz);  // the text is empty: always built
    SetExceptionDates(e, ExceptionDaysOf(ev, o));
  }
  return true;
}

std::string WriteTaskICal(const GoogleTask& t, std::string_view uid, const ICalOptions& o) {
  Zone zone(o.tzid);
  Component cal = NewCalendar("-//Quillmove//GTaskUtil//EN");
  SYSTEMTIME due;
  bool dueDateOnly =
      CxDateTime::OleDateToSystemTime(t.DueDate, due) && !due.wHour && !due.wMinute && !due.wSecond;
  if (t.DueDate.IsSet() && !dueDateOnly)
    if (icalcomponent* tz = zone.CloneComponent()) icalcomponent_add_component(cal.get(), tz);
  icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
  icalcomponent_add_component(cal.get(), todo);
  icalcomponent_add_property(todo, icalproperty_new_uid(std::string(uid).c_str()));
  SetStamps(todo, t.FurtherTimes);
  AddText(todo, icalproperty_new_summary, t.Title.view());
  AddText(todo, icalproperty_new_description, t.Notes.view());
  if (t.DueDate.IsSet()) icalcomponent_set_due(todo, ToICal(t.DueDate, zone, dueDateOnly));
  // Priority: 0 normal, 1 high, 2 low, as the common record's importance.
  int priority = t.Priority == 1 ? 1 : t.Priority == 2 ? 9 : 5;
  icalcomponent_add_property(todo, icalproperty_new_priority(priority));
  icalcomponent_add_property(
      todo, icalproperty_new_status(t.Completed ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION));
  if (t.Completed) icalcomponent_add_property(todo, icalproperty_new_percentcomplete(100));
  return ToText(cal.get());
}

bool ReadTaskICal(std::string_view text, GoogleTask& t) {
  Component root(icalparser_parse_string(std::string(text).c_str()));
  icalcomponent* todo = FindComponent(root.get(), ICAL_VTODO_COMPONENT);
  if (!todo) return false;
  t.Title = TextOf(todo, ICAL_SUMMARY_PROPERTY);
  t.Notes = TextOf(todo, ICAL_DESCRIPTION_PROPERTY);
  icaltimetype due = icalcomponent_get_due(todo);
  if (!icaltime_is_null_time(due)) t.DueDate = FromICal(due);
  t.Priority = 0;
  if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY)) {
    int v = icalproperty_get_priority(p);
    t.Priority = v >= 1 && v <= 4 ? 1 : v >= 6 && v <= 9 ? 2 : 0;
  }
  t.Completed = icalcomponent_get_status(todo) == ICAL_STATUS_COMPLETED ? 1 : 0;
  ReadStamps(todo, t.FurtherTimes);
  return true;
}

std::string WriteNoteICal(const GoogleNote& n, std::string_view uid) {
  Component cal = NewCalendar("-//Quillmove//GNoteUtil//EN");
  icalcomponent* j = icalcomponent_new(ICAL_VJOURNAL_COMPONENT);
  icalcomponent_add_component(cal.get(), j);
  icalcomponent_add_property(j, icalproperty_new_uid(std::string(uid).c_str()));
  SetStamps(j, n.FurtherTimes);
  AddText(j, icalproperty_new_summary, n.Title.view());
  AddText(j, icalproperty_new_description, n.Body.view());
  return ToText(cal.get());
}

bool ReadNoteICal(std::string_view text, GoogleNote& n) {
  Component root(icalparser_parse_string(std::string(text).c_str()));
  icalcomponent* j = FindComponent(root.get(), ICAL_VJOURNAL_COMPONENT);
  if (!j) return false;
  n.Title = TextOf(j, ICAL_SUMMARY_PROPERTY);
  n.Body = TextOf(j, ICAL_DESCRIPTION_PROPERTY);
  ReadStamps(j, n.FurtherTimes);
  return true;
}
