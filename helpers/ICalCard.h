#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "google/GoogleEvent.h"
#include "google/GoogleTaskNote.h"

// The Olson name of this machine's time zone: TZ when it names one, else the target of
// /etc/localtime, else "UTC".
std::string MachineTimeZone();

// Events, tasks and notes as iCalendar (RFC 5545) files, written and read with libical.
// Times in the records are local times of this machine; in the files they carry the zone
// `tzid` with its VTIMEZONE (or UTC when the zone is UTC).
struct ICalOptions {
  std::string tzid;       // the account calendar's zone: this machine's
  std::string organizer;  // the account's e-mail address, for e-mail reminders
};

std::string WriteEventICal(const GoogleEvent& event, std::string_view uid, const ICalOptions& o);
// False when the text holds no VEVENT. The recurrence comes back both as the pattern fields
// and as the connector's own recurrence text.
bool ReadEventICal(std::string_view text, GoogleEvent& event, const ICalOptions& o);

std::string WriteTaskICal(const GoogleTask& task, std::string_view uid, const ICalOptions& o);
bool ReadTaskICal(std::string_view text, GoogleTask& task);
std::string WriteNoteICal(const GoogleNote& note, std::string_view uid);
bool ReadNoteICal(std::string_view text, GoogleNote& note);

// The RFC 5545 rule for the event's pattern ("" when it does not recur). The pattern is the
// structured fields; a record with only the connector's recurrence text is read from that.
std::string StandardRule(const GoogleEvent& event, const ICalOptions& o);
// The RFC 5545 EXDATE lines for the deleted occurrences its recurrence text names, one a day
// (none when it does not recur).
std::vector<std::string> StandardExceptionLines(const GoogleEvent& event, const ICalOptions& o);
