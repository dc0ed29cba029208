#pragma once

#include <span>

#include "palm/PmDBEx2Util.h"
#include "palm/PmRepeat.h"

// A row of table "Main" of "DateBook.mdb" (16 columns), values as stored.
struct PmDateEx2Record : PmEx2Head {
  FixedText<8192> note;
  std::int32_t startTime = 0;  // seconds since 1970-01-01 00:00 UTC
  std::int32_t endTime = 0;
  bool untimed = false;
  FixedText<64> timeZone;
  FixedText<256> location;
  FixedText<256> summary;
  bool alarm = false;
  std::int32_t alarmAdvance = 0;
  std::int32_t alarmUnit = 0;
  FixedText<256> repeatText;

  // Filled after loading from repeatText.
  PmRepeat repeat;
  bool repeatReadable = true;  // false when part of the repeat text could not be read

  static std::span<const PmEx2Column<PmDateEx2Record>> Columns();
};

// "DateBook.mdb" of Palm Desktop 6.x.
class PmDateEx2Util final : public PmEx2Loader<PmDateEx2Record> {
 public:
  PmDateEx2Util() : PmEx2Loader(PmDbKind::kCalendar) {}

 protected:
  void PostProcess(PmDateEx2Record& rec) override;
};
