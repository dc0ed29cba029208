// libFuzzer target: the repeat text of Palm Desktop 6.x databases.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "palm/PmRepeatText.h"
#include "palm/PmTime.h"

namespace {

// What any reading must satisfy, however odd the text.
void Check(const PmRepeat& r) {
  bool ok = r.kind >= PmRepeat::kNone && r.kind <= PmRepeat::kYearlyByDate;
  if (r.kind == PmRepeat::kNone) {
    ok = ok && r.interval == 0 && r.dayMask == 0;
  } else {
    ok = ok && r.interval >= 1 && r.interval <= PmRepeatText::kMaxInterval;
    ok = ok && (r.endDate == PmRepeatText::kNoEnd || !PmTime::IsNoDate(r.endDate));
  }
  ok = ok && r.dayMask < 0x80 && r.weekIndex >= 0 && r.weekIndex <= 4;
  ok = ok && r.monthIndex >= 0 && r.monthIndex <= 11 && r.dayNumber >= 0 && r.dayNumber <= 31;
  ok = ok && r.dayIndex >= 0 && r.dayIndex <= 6;
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first four bytes, when present, are the event's start.
  std::int32_t start = 1245067200;
  if (size >= 4) {
    std::memcpy(&start, data, 4);
    data += 4;
    size -= 4;
  }
  std::string_view text(reinterpret_cast<const char*>(data), size);
  PmRepeat r;
  PmRepeatText::Parse(text, start, r, true);
  Check(r);
  PmRepeatText::Parse(text, start, r, false);
  Check(r);
  if (r.kind == PmRepeat::kYearlyByDate) std::abort();
  return 0;
}
