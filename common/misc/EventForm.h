#pragma once

#include "misc/CommonEvent.h"

// The one form in which every connector hands a calendar record to the comparison, so that a
// record that went into the account and came back compares equal to its source:
//
// - texts: every line break CR LF;
// - times: whole seconds, the day of week computed from the date;
// - all-day events: start at midnight of their first day, end at midnight after their last day
//   (the end is exclusive, as iCalendar and Google keep it); an end on or before the start
//   means a one-day event;
// - recurrence: only the fields that the pattern's type uses are set; the interval is at
//   least 1; a weekly or n-th weekday pattern without days takes the start's weekday; the
//   pattern starts on the start's date and ends on a date (no time) only when it has an end;
//   a record that does not recur has an empty pattern and no exception dates;
// - reminders: ReminderSet says whether there is one; unused entries are zero; an entry
//   without a method is a pop-up (method 1), one without a unit counts minutes.
void NormaliseEvent(CommonEvent& event);

// `Start` as whole seconds with its day of week; false when it is no valid date.
bool NormaliseTime(SYSTEMTIME& time);
