#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "misc/CommonEvent.h"
#include "misc/CxFile.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"

// An event of the Google calendar as the helper exchanges it ("GDate.dat").
class GoogleEvent {
 public:
  static constexpr std::size_t kReminders = 3;

  std::int32_t RecordTag = 0;
  std::int32_t ChangeState = 0;  // 2 = to be submitted; set to 1 once loaded
  std::int32_t Action = 0;       // 1 add, 2 update
  FixedText<32> EventKey;
  FixedText<256> Title;
  FixedText<256> Where;
  OleDate Start;  // local time
  OleDate End;
  std::int32_t AllDay = 0;  // 1 = all-day: dates only, the end exclusive
  std::int32_t Visibility = 0;
  std::int32_t EventStatus = 0;
  std::int32_t ReminderCount = 0;
  std::array<std::int32_t, kReminders> ReminderMethod{};  // 1 = method one, 0 = the other
  std::array<std::int32_t, kReminders> ReminderAmount{};
  std::array<std::int32_t, kReminders> ReminderUnit{};  // 0 minutes, 1 hours, 2 days, 3 weeks
  FixedText<4096> RecurrenceText;
  std::int32_t RecurType = 0;
  std::int32_t HasEnd = 0;
  OleDate PatternStart;
  OleDate PatternEnd;
  std::int32_t Interval = 0;
  std::int32_t DayOfWeekMask = 0;
  std::int32_t DayOfMonth = 0;
  std::int32_t MonthOfYear = 0;
  std::int32_t Instance = 0;
  FixedText<4096> EventLink;
  FixedText<4096> CalendarRef;
  FixedText<10240> Description;
  FixedText<256> Category;
  std::array<OleDate, 2> FurtherTimes{};

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v(r.RecordTag);
    v(r.ChangeState);
    v(r.Action);
    v(r.EventKey);
    v(r.Title);
    v(r.Where);
    v(r.Start);
    v(r.End);
    v(r.AllDay);
    v(r.Visibility);
    v(r.EventStatus);
    v(r.ReminderCount);
    v(r.ReminderMethod);
    v(r.ReminderAmount);
    v(r.ReminderUnit);
    v(r.RecurrenceText);
    v(r.RecurType);
    v(r.HasEnd);
    v(r.PatternStart);
    v(r.PatternEnd);
    v(r.Interval);
    v(r.DayOfWeekMask);
    v(r.DayOfMonth);
    v(r.MonthOfYear);
    v(r.Instance);
    v(r.EventLink);
    v(r.CalendarRef);
    v(r.Description);
    v(r.Category);
    v(r.FurtherTimes);
  }
};

// A calendar of the account ("GCal.dat"); only the first one's time-zone id is used.
class GoogleCalendar {
 public:
  FixedText<256> Text1;
  FixedText<1024> Text2;
  FixedText<1024> Text3;
  FixedText<256> TimeZoneId;  // an Olson name such as America/New_York

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v(r.Text1);
    v(r.Text2);
    v(r.Text3);
    v(r.TimeZoneId);
  }
};

bool ReadGoogleEvent(CxFile& file, GoogleEvent& record);
bool WriteGoogleEvent(CxFile& file, const GoogleEvent& record);
bool ReadGoogleCalendar(CxFile& file, GoogleCalendar& record);
bool WriteGoogleCalendar(CxFile& file, const GoogleCalendar& record);

// The time zone recurring events are written in: taken from the first calendar the first time it
// is needed, its VTIMEZONE text looked up once.
struct GRecurrenceZone {
  bool chosen = false;
  std::string id;
  const char* vtimezone = nullptr;  // null when the table has no row for the id
};

// Writes the event's recurrence text from its pattern (the connector's own form of the rule:
// BYWEEKNO stands for the instance, UNTIL only for pattern ends in 2002-2019, a Z on local time).
// `calendarParam` is the calendar the connector names in its parameters; events of other
// calendars that already carry a text keep it.
void BuildRecurrenceText(GoogleEvent& event, const std::vector<GoogleCalendar>& calendars,
                         std::string_view calendarParam, GRecurrenceZone& zone);
// Reads DTSTART, DTEND and the rule back from the text into the event's fields.
void ParseRecurrenceText(GoogleEvent& event);

// The deleted occurrences a recurrence text names: the day of each value of its EXDATE lines.
ExceptionDayList ExceptionDatesOf(std::string_view recurrenceText);
// Replaces the EXDATE lines of the event's recurrence text by one line naming `days`, written as
// its DTSTART is (same zone or date form, the start's time of day) and put before the RRULE, so
// that the rule stays the last line its reader searches. A text without RRULE does not recur and
// gets none.
void SetExceptionDates(GoogleEvent& event, const ExceptionDayList& days);

void GoogleToCommon(const GoogleEvent& google, CommonEvent& common);
// Writes into `google` (the loaded native event on an update). The exception dates ride in the
// recurrence text: SetExceptionDates once BuildRecurrenceText has made or kept it.
void CommonToGoogle(const CommonEvent& common, GoogleEvent& google);
