#pragma once

#include <array>

#include "misc/CommMgr.h"
#include "misc/CommonEvent.h"

// Calendar comparison codes.
enum EventCode : std::uint32_t {
  kEventSubject = 1,
  kEventStart = 2,
  kEventEnd = 3,
  kEventDescription = 7,
  kEventLocation = 9,
  kEventReservedNumber = 10,
  kEventAllDay = 13,
  kEventRecurrence = 14,
  // The deleted occurrences: an account copy that brings them back is not the same event.
  kEventExceptionDates = 15,
};

struct EventMatchTraits {
  using Record = CommonEvent;
  static constexpr std::array<std::uint32_t, 4> kKeys = {kEventSubject, kEventStart, kEventEnd,
                                                         kEventAllDay};
  static constexpr std::array<std::uint32_t, 2> kCompare = {kEventLocation, kEventExceptionDates};
  static MatchValue Extract(const CommonEvent& e, std::uint32_t code);
  static void Update(CommonEvent& stored, const CommonEvent& incoming);
};

class CommDateMgr : public CommMgr<EventMatchTraits> {};
