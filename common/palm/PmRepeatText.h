#pragma once

#include <cstdint>
#include <string_view>

#include "palm/PmRepeat.h"

// The repeat text of Palm Desktop 6.x databases, a vCalendar 1.0 style rule: a kind with its
// interval ("D2", "W1", "MP1", "MD1", "YM1"), then week, day or month words, then the end
// ("#0" for none, or a date "20091231T000000Z").
class PmRepeatText {
 public:
  // Palm's "repeat for ever": 2031-12-31 23:59:59.
  static constexpr std::int32_t kNoEnd = 1956499199;
  // Palm Desktop offers intervals up to 99; far larger ones are damage.
  static constexpr std::int32_t kMaxInterval = 9999;
  // A number longer than this cannot be a count, day or interval.
  static constexpr std::size_t kMaxDigits = 9;

  // Reads `text` into `out`; `start` (a Palm time value) supplies the day of month of yearly
  // rules and the weekday when a weekly rule names none. Texts of a yearly kind give no repeat
  // unless `allowYearly`. Returns false when part of the text could not be read; `out` then holds
  // what could (no repeat when the kind or interval could not).
  static bool Parse(std::string_view text, std::int32_t start, PmRepeat& out,
                    bool allowYearly = true);
};
