#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "google/GoogleEvent.h"

// Google events as Calendar API events. Times of the records are local times of this machine;
// they go out with the machine's zone (`tzid`) and its offset, and come back converted to it.
// All-day events carry dates, the end exclusive. The pattern goes out as one RRULE line and
// comes back as the pattern fields and the connector's recurrence text. Reminders are the
// event's overrides; the category rides in a private extended property.
struct GEventOptions {
  std::string tzid;
};

inline constexpr const char* kGCategoryProperty = "quillmoveCategory";

// The event of a record: only fields with a value, so that a patch never blanks one; the
// status never says "cancelled" (which would remove the event from the calendar).
nlohmann::json EventJsonOf(const GoogleEvent& event, const GEventOptions& o);
// Fills `event` (start from an empty one) from an event; false when it has no start.
bool EventOfJson(const nlohmann::json& j, GoogleEvent& event, const GEventOptions& o);

// The event's RRULE line ("RRULE:FREQ=...") or "" when it does not recur.
std::string RuleLineOf(const GoogleEvent& event, const GEventOptions& o);

// "2026-03-01T09:00:00+01:00" for a local time; "2026-03-01" for its date.
std::string RfcDateTime(OleDate local);
std::string RfcDate(OleDate local);
// Either form back to a local time; false when the text is neither.
bool ParseRfcDateTime(const std::string& text, OleDate& local);
